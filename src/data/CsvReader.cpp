#include "data/CsvReader.h"

#include <QFile>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>

#include "data/CsvFormat.h"
#include "data/CsvLine.h"
#include "data/OleDate.h"
#include "data/RateTable.h"
#include "data/SampleStore.h"

namespace {

constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr int EventField = 7;

using namespace std::string_view_literals;

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// Line 0: "S/N,<device>,RATE,<ms>". Replaces the record when accepted.
bool AcceptDeviceLine(SampleStore& store, const CsvFields& fields) {
    if (fields.count < 4 || fields(1) != "S/N"sv || fields(3) != "RATE"sv) return false;
    if (!StartsWith(fields(2), "Tq570-"sv) && !StartsWith(fields(2), "Tq580-"sv)) return false;
    const std::optional<int64_t> rate = ParseCsvInteger(fields(4));
    if (!rate) return false;

    ResetRecord(store);
    store.RecordDeviceId = QString::fromUtf8(fields(2).data(), static_cast<qsizetype>(fields(2).size()));
    store.RecordRateIndex = 1;
    for (int index = 0; index < RateCount; ++index) {
        if (RateTable[index] == *rate) {
            store.RecordRateIndex = index;
            break;
        }
    }
    store.InitPointsEditable = false;
    store.CheckSensorsMode = false;
    return true;
}

// Cuts text at the next delimiter; the piece must read as an integer.
std::optional<int> TakeNumber(std::string_view& text, std::optional<char> delimiter) {
    size_t end = text.size();
    if (delimiter) {
        end = text.find(*delimiter);
        if (end == std::string_view::npos) return std::nullopt;
    }
    const std::optional<int64_t> value = ParseCsvInteger(text.substr(0, end));
    text.remove_prefix(delimiter ? end + 1 : end);
    if (!value || *value < INT32_MIN || *value > INT32_MAX) return std::nullopt;
    return static_cast<int>(*value);
}

// "START yyyy/mm/dd hh:nn:ss" in the first field, or the word in the first
// field and the date and time in the second, as spreadsheets save it.
std::optional<double> ParseDateLine(const CsvFields& fields, std::string_view word) {
    const bool twoFields = fields.count == 2 || (fields.count > 2 && !fields(2).empty());
    std::string_view text;
    if (twoFields) {
        if (fields(2).size() <= 16 || !StartsWith(fields(1), word)) return std::nullopt;
        text = fields(2);
    } else {
        if (fields(1).size() <= 20 || !StartsWith(fields(1), word)) return std::nullopt;
        text = fields(1).substr(word.size());
    }
    const auto year = TakeNumber(text, '/');
    const auto month = TakeNumber(text, '/');
    const auto day = TakeNumber(text, ' ');
    const auto hour = TakeNumber(text, ':');
    const auto minute = TakeNumber(text, ':');
    const auto second = TakeNumber(text, std::nullopt);
    if (!year || !month || !day || !hour || !minute || !second) return std::nullopt;
    return OleDateFromParts({*year, *month, *day, *hour, *minute, *second, 0});
}

bool IsChannelCaptionLine(const CsvFields& fields) {
    int captions = 0;
    for (int k = 1; k <= fields.count; ++k)
        if (StartsWith(fields(k), "CH"sv)) captions++;
    return captions == ChannelCount;
}

struct PendingMarks {
    int count = 0;
    int32_t code[MaxEventMarks];
};

// EVENT: "R" marks a value-initialization point, "S<d>"/"E<d>" an event
// started/ended for a digit 1..9; anything else is passed over.
void ScanEventText(std::string_view text, MEAS_DATA_TYPE& sample, PendingMarks& marks) {
    size_t at = 0;
    while (at < text.size()) {
        const char c = text[at];
        if (c == 'R') {
            sample.ch[0].status = StatusInitPoint;
            at++;
        } else if ((c == 'S' || c == 'E') && at + 1 < text.size()) {
            const char digit = text[at + 1];
            if (digit >= '1' && digit <= '9' && marks.count < MaxEventMarks)
                marks.code[marks.count++] = c == 'S' ? digit - '0' : -(digit - '0');
            at += 2;
        } else {
            at++;
        }
    }
}

// A number of a float field; false for one beyond the float's range, which
// cannot be stored (not-a-number and infinities pass as they are).
bool ParseFloatField(std::string_view text, float& field) {
    double value = 0;
    if (!ParseCsvNumber(text, value)) return false;
    if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max()) return false;
    field = static_cast<float>(value);
    return true;
}

// A data row into sample and its marks; false when a number cannot be read.
bool ParseDataRow(const CsvFields& fields, MEAS_DATA_TYPE& sample, PendingMarks& marks) {
    const std::optional<int64_t> index = ParseCsvInteger(fields(2));
    if (!index || *index < INT32_MIN || *index > INT32_MAX) return false;
    sample.index = static_cast<int32_t>(*index);
    sample.seq = static_cast<uint8_t>(sample.index & 0xFF);

    float* const front[] = {&sample.batt, &sample.acc[0], &sample.acc[1], &sample.acc[2]};
    for (int k = 0; k < 4; ++k)
        if (!ParseFloatField(fields(3 + k), *front[k])) return false;

    for (CH_DATA_TYPE& channel : sample.ch) channel.status = 0;
    ScanEventText(fields(EventField), sample, marks);

    for (int c = 0; c < ChannelCount; ++c) {
        CH_DATA_TYPE& channel = sample.ch[c];
        const int first = 8 + 5 * c;
        const std::string_view error = fields(first);
        if (!error.empty()) channel.status |= error.front() == 'N' ? StatusNoData : (StatusHaemoglobinCalcError | StatusSto2CalcError);
        float* const values[] = {&channel.oxhb, &channel.dxhb, &channel.tohb};
        for (int k = 0; k < 3; ++k)
            if (!ParseFloatField(fields(first + 1 + k), *values[k])) return false;
        double percent = 0;  // STO2 is stored as a fraction
        if (!ParseCsvNumber(fields(first + 4), percent)) return false;
        if (std::isfinite(percent) && std::fabs(percent / 100.0) > std::numeric_limits<float>::max()) return false;
        channel.sto2 = static_cast<float>(percent / 100.0);
    }
    return true;
}

// The row that stands in for one the file does not give whole: no data in
// either channel and no battery voltage, as a lost sample.
MEAS_DATA_TYPE RowWithoutData(int32_t position) {
    MEAS_DATA_TYPE sample{};
    sample.index = position;
    sample.seq = static_cast<uint8_t>(position & 0xFF);
    sample.batt = std::numeric_limits<float>::quiet_NaN();
    for (CH_DATA_TYPE& channel : sample.ch) channel.status = StatusNoData;
    return sample;
}

// After an empty line reading ends; notes it when lines with text follow,
// which the file's end would not have.
void NoteLinesAfterEmptyLine(CsvLineReader& reader, char (&LineBuffer)[LineBufferSize], int32_t fileLine,
                             CsvReadResult& result) {
    if (reader.AtEnd()) return;
    int32_t after = 0, lastWithText = 0;
    while (!reader.AtEnd()) {
        const int32_t length = reader.ReadLine(LineBuffer);
        if (!reader.LineCut()) ++after;
        if (length > 0) lastWithText = after;
    }
    if (lastWithText == 0) return;
    result.emptyLine = fileLine;
    result.linesAfterEmptyLine = lastWithText;
}

}  // namespace

CsvReadResult ReadRecord(SampleStore& store, QIODevice& device, ShortRows shortRows) {
    CsvReadResult result;
    result.opened = true;
    CsvLineReader reader(device);
    char LineBuffer[LineBufferSize];
    CsvFields fields;
    int lineNumber = 0;
    int32_t fileLine = 0;  // the line of the file, counted from 1
    bool continuation = false;  // the piece is the rest of a line longer than the buffer
    int32_t intervalMs = RecordIntervalMs(store);

    for (;;) {
        const int32_t length = reader.ReadLine(LineBuffer);
        if (!continuation) ++fileLine;
        else if (result.longLines.empty() || result.longLines.back() != fileLine) result.longLines.push_back(fileLine);
        const bool restOfLongLine = continuation;
        continuation = reader.LineCut();
        if (length == 0) {
            NoteLinesAfterEmptyLine(reader, LineBuffer, fileLine, result);
            break;
        }
        if (restOfLongLine && shortRows == ShortRows::KeepTheirPlace) continue;
        // A spreadsheet's "CSV UTF-8" starts the file with a byte-order mark.
        const int32_t skipped = lineNumber == 0 && std::string_view(LineBuffer, length).starts_with(Utf8ByteOrderMark) ? 3 : 0;
        SplitCsvLine(LineBuffer + skipped, length - skipped, fields);

        bool valid = true;
        switch (lineNumber) {
        case 0:
            result.lineZeroRead = true;
            valid = AcceptDeviceLine(store, fields);
            result.recordReplaced = valid;
            intervalMs = RecordIntervalMs(store);
            break;
        case 1:
        case 2: {
            const std::optional<double> date = ParseDateLine(fields, lineNumber == 1 ? "START"sv : "END"sv);
            valid = date.has_value();
            if (valid) (lineNumber == 1 ? store.RecordStartTime : store.RecordEndTime) = *date;
            break;
        }
        case 3: valid = IsChannelCaptionLine(fields); break;
        case 4: valid = fields.count >= CsvFieldsPerRow && fields(1) == "TIME"sv; break;
        default: {
            const bool shortRow = fields.count < CsvFieldsPerRow;
            if (shortRow) {
                result.shortRowLines.push_back(fileLine);
                if (shortRows == ShortRows::Skip) continue;  // skipped, not counted
            }
            if (store.SampleCount >= MaxSamples) {
                result.truncated = true;
                return result;
            }
            MEAS_DATA_TYPE sample{};
            PendingMarks marks;
            if (shortRow) {
                sample = RowWithoutData(store.SampleCount);
                if (fields.count > EventField) {
                    ScanEventText(fields(EventField), sample, marks);
                    sample.ch[0].status |= StatusNoData;
                }
            } else {
                valid = ParseDataRow(fields, sample, marks);
            }
            if (!valid) break;
            // Rows follow each other by the interval, counted from the start
            // exactly rather than summed, so 108000 rows do not drift.
            const int64_t elapsed = static_cast<int64_t>(store.SampleCount) * intervalMs;
            sample.time = store.RecordStartTime + static_cast<double>(elapsed) / MillisecondsPerDay;
            // Marks only for a row that is stored, so they always point at a sample.
            for (int m = 0; m < marks.count; ++m) AddEventMark(store, store.SampleCount, marks.code[m]);
            store.CurrentSample = sample;
            store.Samples[store.SampleCount++] = sample;  // not AppendSample: an opened file leaves RecordFull alone
            break;
        }
        }
        if (!valid) {
            result.formatError = true;
            result.errorLine = fileLine;
            break;
        }
        lineNumber++;
    }
    result.readFailed = reader.ReadFailed();
    return result;
}

CsvReadResult ReadRecordFile(SampleStore& store, const QString& path, ShortRows shortRows) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return ReadRecord(store, file, shortRows);
}
