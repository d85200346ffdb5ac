#include "data/CsvLine.h"

#include <charconv>

int32_t CsvLineReader::ReadLine(char (&LineBuffer)[LineBufferSize]) {
    int32_t stored = 0;
    char byte = 0;
    while (stored < MaxLineLength && NextByte(byte)) {
        if (byte == '\n') break;
        if (byte == '\r') continue;
        LineBuffer[stored++] = byte;
    }
    LineBuffer[stored] = '\0';
    return stored;
}

bool CsvLineReader::NextByte(char& byte) {
    if (chunkPosition_ == chunkLength_) {
        if (ended_) return false;
        chunkLength_ = device_.read(chunk_, sizeof chunk_);
        chunkPosition_ = 0;
        if (chunkLength_ <= 0) {
            failed_ = chunkLength_ < 0;
            chunkLength_ = 0;
            ended_ = true;
            return false;
        }
    }
    byte = chunk_[chunkPosition_++];
    return true;
}

void SplitCsvLine(const char* line, int32_t length, CsvFields& fields) {
    fields.count = 0;
    char* out = fields.storage;
    int32_t at = 0;
    for (;;) {
        char* fieldStart = out;
        if (at < length && line[at] == '"') {
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
        }
        while (at < length && line[at] != ',') *out++ = line[at++];
        fields.field[fields.count++] = std::string_view(fieldStart, out - fieldStart);
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

}  // namespace

std::optional<int64_t> ParseCsvInteger(std::string_view text) {
    text = Trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int64_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<double> ParseCsvNumber(std::string_view text) {
    text = Trimmed(text);
    if (text.empty()) return 0.0;
    if (text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
    return value;
}
