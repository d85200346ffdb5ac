#pragma once

#include <QString>
#include <cstdint>
#include <string>

struct SampleStore;

// The record file: ASCII, CR LF, comma-separated without quoting, a full
// stop as decimal separator whatever the locale, fixed-width numbers padded
// with spaces on the left. Five header lines, then one row per sample.

constexpr const char* CsvLineEnd = "\r\n";
constexpr int CsvFieldsPerRow = 17;

// The record's sampling interval in ms; a rate index out of the table reads
// as index 1, as the reader maps unknown rates.
int32_t RecordIntervalMs(const SampleStore& store);

// The end time the file states: the start plus the last sample's index
// times the interval, as a full duration (a record may span days).
double ComputedRecordEndTime(const SampleStore& store);

// Text as the file carries it: every character outside 7-bit ASCII is "?".
std::string ToFileAscii(const QString& text);

// Lines 1 to 5, each with its CR LF; the END line from RecordEndTime.
std::string CsvHeaderLines(const SampleStore& store);

// "R" for a value-initialization point, then "S<n>"/"E<n>" for each event
// mark on this position, in table order.
void AppendEventText(const SampleStore& store, int32_t position, std::string& out);

// The row of one sample, with its CR LF, appended to out.
void AppendCsvRow(const SampleStore& store, int32_t position, std::string& out);
