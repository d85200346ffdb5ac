#include "data/CsvLine.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>

int32_t CsvLineReader::ReadLine(char (&LineBuffer)[LineBufferSize]) {
    // Whole runs of the chunk at a time: up to the next line feed, carriage
    // return or the end of the room, whichever comes first.
    int32_t stored = 0;
    bool lineEnded = false;
    while (stored < MaxLineLength && FillChunk()) {
        const char* const begin = chunk_ + chunkPosition_;
        const qint64 available = std::min<qint64>(chunkLength_ - chunkPosition_, MaxLineLength - stored);
        const char* end = static_cast<const char*>(std::memchr(begin, '\n', static_cast<size_t>(available)));
        const bool lineFeed = end != nullptr;
        if (!lineFeed) end = begin + available;
        for (const char* run = begin; run < end;) {
            const char* carriageReturn = static_cast<const char*>(std::memchr(run, '\r', static_cast<size_t>(end - run)));
            const char* runEnd = carriageReturn != nullptr ? carriageReturn : end;
            std::memcpy(LineBuffer + stored, run, static_cast<size_t>(runEnd - run));
            stored += static_cast<int32_t>(runEnd - run);
            if (carriageReturn == nullptr) break;
            run = carriageReturn + 1;  // dropped
        }
        chunkPosition_ += end - begin;
        if (lineFeed) {
            chunkPosition_++;  // consumed, not stored
            lineEnded = true;
            break;
        }
    }
    // The room filled before a line feed: what follows is the same line's.
    cut_ = !lineEnded && stored == MaxLineLength;
    LineBuffer[stored] = '\0';
    return stored;
}

bool CsvLineReader::FillChunk() {
    if (chunkPosition_ < chunkLength_) return true;
    if (ended_) return false;
    chunkLength_ = device_.read(chunk_, sizeof chunk_);
    chunkPosition_ = 0;
    if (chunkLength_ <= 0) {
        failed_ = chunkLength_ < 0;
        chunkLength_ = 0;
        ended_ = true;
        return false;
    }
    return true;
}

namespace {

// The next comma at or after at, or length: eight bytes at a time where the
// line has them, since most of the reading time goes into this search.
int32_t NextComma(const char* line, int32_t at, int32_t length) {
    if constexpr (std::endian::native == std::endian::little) {
        constexpr uint64_t ones = 0x0101010101010101;
        constexpr uint64_t highBits = 0x8080808080808080;
        for (; at + 8 <= length; at += 8) {
            uint64_t word = 0;
            std::memcpy(&word, line + at, 8);
            const uint64_t zeroWhereComma = word ^ (ones * ',');
            // The lowest flagged byte is the first comma; flags above it may be false.
            const uint64_t flags = (zeroWhereComma - ones) & ~zeroWhereComma & highBits;
            if (flags != 0) return at + std::countr_zero(flags) / 8;
        }
    }
    while (at < length && line[at] != ',') ++at;
    return at;
}

}  // namespace

void SplitCsvLine(const char* line, int32_t length, CsvFields& fields) {
    fields.count = 0;
    char* out = fields.storage;
    int32_t at = 0;
    for (;;) {
        // A quote that is never closed is an ordinary character.
        if (at < length && line[at] == '"' && std::memchr(line + at + 1, '"', size_t(length - at - 1)) != nullptr) {
            // Unquoted into storage, with any text between the closing quote and the comma.
            char* const fieldStart = out;
            ++at;
            while (at < length) {
                if (line[at] == '"') {
                    if (at + 1 < length && line[at + 1] == '"') {
                        *out++ = '"';
                        at += 2;
                        continue;
                    }
                    ++at;
                    break;
                }
                *out++ = line[at++];
            }
            while (at < length && line[at] != ',') *out++ = line[at++];
            fields.field[fields.count++] = std::string_view(fieldStart, static_cast<size_t>(out - fieldStart));
        } else {
            // The usual field is taken where it stands in the line.
            const int32_t fieldStart = at;
            at = NextComma(line, at, length);
            fields.field[fields.count++] = std::string_view(line + fieldStart, static_cast<size_t>(at - fieldStart));
        }
        if (at >= length || fields.count == MaxCsvFields) break;
        ++at;  // the comma
    }
}

namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

constexpr double ExactPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// The writer's own numbers, spaces in front, digits with a full stop between
// them and maybe a minus sign, read without the general parser. With at most 15 digits,
// both the digits as an integer and the power of ten are exact doubles, so
// their one correctly rounded quotient is the nearest double to the text,
// the same value std::from_chars gives. False for anything else.
bool ParsePlainDecimal(std::string_view text, double& value) {
    const char* at = text.data();
    const char* const end = at + text.size();
    while (at < end && *at == ' ') ++at;
    const bool negative = at < end && *at == '-';
    if (negative) ++at;
    const auto isDigit = [](char c) { return static_cast<unsigned>(c - '0') <= 9; };
    uint64_t digits = 0;  // may wrap on long texts, which are refused below
    const char* const integerStart = at;
    for (; at < end && isDigit(*at); ++at) digits = digits * 10 + static_cast<uint64_t>(*at - '0');
    const ptrdiff_t integerDigits = at - integerStart;
    ptrdiff_t decimals = 0;
    if (at < end && *at == '.') {
        const char* const decimalsStart = ++at;
        for (; at < end && isDigit(*at); ++at) digits = digits * 10 + static_cast<uint64_t>(*at - '0');
        decimals = at - decimalsStart;
        if (decimals == 0) return false;
    }
    if (at != end || integerDigits == 0 || integerDigits + decimals > 15) return false;
    const double magnitude = static_cast<double>(digits) / ExactPowersOfTen[decimals];
    value = negative ? -magnitude : magnitude;
    return true;
}

}  // namespace

std::optional<int64_t> ParseCsvInteger(std::string_view text) {
    text = Trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int64_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
    return value;
}

bool ParseCsvNumber(std::string_view text, double& value) {
    // The writer pads on the left only: try that before trimming both ends.
    if (ParsePlainDecimal(text, value)) return true;
    text = Trimmed(text);
    if (text.empty()) {
        value = 0;
        return true;
    }
    if (text.front() == '+') {
        // The sign belongs to the number: "+ 0.0123" is none.
        text.remove_prefix(1);
        if (text.empty() || text.front() == ' ' || text.front() == '\t') return false;
    }
    if (ParsePlainDecimal(text, value)) return true;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

std::optional<double> ParseCsvNumber(std::string_view text) {
    double value = 0;
    if (!ParseCsvNumber(text, value)) return std::nullopt;
    return value;
}
