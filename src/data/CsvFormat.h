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

// The most a row can take: twelve numbers of any value, the event text with
// every mark on one sample, the time, index, error letters and separators.
constexpr int MaxCsvRowLength = 8192;

// Where the look-up of event marks for the next row may start. The marks
// are read in table order up to the first free entry or the first mark past
// the row, so the entries passed for one row hold nothing for a later row:
// rows written in rising order need not look at them again. Marks are kept
// in sample order, so entries passed stay passed.
struct EventMarkScan {
    int first = 0;
};

// The row of one sample, with its CR LF, written from out, which has room
// for MaxCsvRowLength characters; returns the end. One scan serves rows
// written in strictly rising positions.
char* WriteCsvRow(const SampleStore& store, int32_t position, char* out, EventMarkScan& scan);

// The same row appended to out.
void AppendCsvRow(const SampleStore& store, int32_t position, std::string& out);
