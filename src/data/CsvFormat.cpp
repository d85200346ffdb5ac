#include "data/CsvFormat.h"

#include <QList>
#include <charconv>

#include "data/FixedDecimal.h"
#include "data/OleDate.h"
#include "data/RateTable.h"
#include "data/SampleStore.h"

namespace {

// The printf conversions the format is defined by, without printf: the C
// library's number formatting follows the process locale, which a Qt
// program takes from the user, and the file must use a full stop.

void AppendPadded(std::string& out, const char* begin, const char* end, int width) {
    const int pad = width - static_cast<int>(end - begin);
    if (pad > 0) out.append(static_cast<size_t>(pad), ' ');
    out.append(begin, end);
}

// "%<width>d"
void AppendInteger(std::string& out, int64_t value, int width = 0) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    AppendPadded(out, buffer, result.ptr, width);
}

// "%d"
char* WriteInteger(char* out, int64_t value) { return std::to_chars(out, out + 24, value).ptr; }

// "%.2d": at least two digits, the sign in front.
char* WriteTwoDigits(char* out, int64_t value) {
    if (value < 0) *out++ = '-';
    const uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    if (magnitude < 10) *out++ = '0';
    return std::to_chars(out, out + 24, magnitude).ptr;
}

void AppendTwoDigits(std::string& out, int64_t value) {
    char buffer[24];
    out.append(buffer, WriteTwoDigits(buffer, value));
}

void AppendDateTime(std::string& out, double date) {
    const DateTimeParts parts = PartsFromOleDate(date);  // rounded to the ms, which are dropped
    AppendInteger(out, parts.year, 4);
    out.push_back('/');
    AppendTwoDigits(out, parts.month);
    out.push_back('/');
    AppendTwoDigits(out, parts.day);
    out.push_back(' ');
    AppendTwoDigits(out, parts.hour);
    out.push_back(':');
    AppendTwoDigits(out, parts.minute);
    out.push_back(':');
    AppendTwoDigits(out, parts.second);
}

// Whole seconds of floor(index * interval / 1000), exactly.
int64_t ElapsedSeconds(int32_t index, int32_t intervalMs) {
    const int64_t milliseconds = static_cast<int64_t>(index) * intervalMs;
    int64_t seconds = milliseconds / 1000;
    if (milliseconds % 1000 != 0 && milliseconds < 0) seconds--;
    return seconds;
}

}  // namespace

int32_t RecordIntervalMs(const SampleStore& store) {
    return RateTable[IsValidRateIndex(store.RecordRateIndex) ? store.RecordRateIndex : 1];
}

double ComputedRecordEndTime(const SampleStore& store) {
    if (store.SampleCount == 0) return store.RecordStartTime;
    const int64_t span = static_cast<int64_t>(store.Samples[store.SampleCount - 1].index) * RecordIntervalMs(store);
    return store.RecordStartTime + static_cast<double>(span) / MillisecondsPerDay;
}

std::string ToFileAscii(const QString& text) {
    std::string ascii;
    for (const uint codePoint : text.toUcs4()) ascii.push_back(codePoint < 0x80 ? static_cast<char>(codePoint) : '?');
    return ascii;
}

std::string CsvHeaderLines(const SampleStore& store) {
    std::string out = "S/N," + ToFileAscii(store.RecordDeviceId) + ",RATE,";
    AppendInteger(out, RecordIntervalMs(store));
    out += CsvLineEnd;
    out += "START ";
    AppendDateTime(out, store.RecordStartTime);
    out += CsvLineEnd;
    out += "END   ";
    AppendDateTime(out, store.RecordEndTime);
    out += CsvLineEnd;
    out += ",,,,,,,CH1,,,,,CH2";
    out += CsvLineEnd;
    out += "TIME,SEQ,BATT[V],Acceleration x[G],Acceleration y[G],Acceleration z[G],EVENT";
    for (int channel = 0; channel < ChannelCount; ++channel)
        out += ",ERROR,OXHb-35[mM],DXHb-35[mM],TOHb-35[mM],Sto2-35[%]";
    out += CsvLineEnd;
    return out;
}

namespace {

// Room the event text can take: "R" and every mark as a letter and a code.
constexpr int MaxEventTextLength = 1 + MaxEventMarks * 12;
static_assert(12 * (FixedDecimalCapacity + 1) + MaxEventTextLength + 64 <= MaxCsvRowLength);

char* WriteEventText(const SampleStore& store, int32_t position, char* out, EventMarkScan& scan) {
    if (store.Samples[position].ch[0].status & StatusInitPoint) *out++ = 'R';
    int entry = scan.first;
    for (; entry < MaxEventMarks; ++entry) {
        const EVENT_MARK_TYPE& mark = store.EventMarks[entry];
        if (mark.sample < 0 || mark.sample > position) break;
        if (mark.sample != position) continue;
        *out++ = mark.code >= 0 ? 'S' : 'E';
        out = WriteInteger(out, mark.code >= 0 ? static_cast<int64_t>(mark.code) : -static_cast<int64_t>(mark.code));
    }
    scan.first = entry;
    return out;
}

}  // namespace

void AppendEventText(const SampleStore& store, int32_t position, std::string& out) {
    char buffer[MaxEventTextLength];
    EventMarkScan scan;
    out.append(buffer, WriteEventText(store, position, buffer, scan));
}

char* WriteCsvRow(const SampleStore& store, int32_t position, char* out, EventMarkScan& scan) {
    const MEAS_DATA_TYPE& sample = store.Samples[position];

    const int64_t seconds = ElapsedSeconds(sample.index, RecordIntervalMs(store));
    out = WriteTwoDigits(out, seconds / 3600);
    *out++ = ':';
    out = WriteTwoDigits(out, seconds % 3600 / 60);
    *out++ = ':';
    out = WriteTwoDigits(out, seconds % 60);
    *out++ = ',';
    out = WriteInteger(out, sample.index);
    *out++ = ',';

    out = FormatFixedDecimal(out, sample.batt, 3, 1);
    for (const float acceleration : sample.acc) {
        *out++ = ',';
        out = FormatFixedDecimal(out, acceleration, 5, 2);
    }
    *out++ = ',';
    out = WriteEventText(store, position, out, scan);

    for (const CH_DATA_TYPE& channel : sample.ch) {
        *out++ = ',';
        if (channel.status & StatusNoData) *out++ = 'N';
        else if (channel.status & CsvErrorMask) *out++ = 'E';
        for (const float value : {channel.oxhb, channel.dxhb, channel.tohb}) {
            *out++ = ',';
            out = FormatFixedDecimal(out, value, 7, 4);
        }
        *out++ = ',';
        out = FormatFixedDecimal(out, static_cast<double>(channel.sto2) * 100.0, 6, 2);
    }
    *out++ = '\r';
    *out++ = '\n';
    return out;
}

void AppendCsvRow(const SampleStore& store, int32_t position, std::string& out) {
    char buffer[MaxCsvRowLength];
    EventMarkScan scan;
    out.append(buffer, WriteCsvRow(store, position, buffer, scan));
}
