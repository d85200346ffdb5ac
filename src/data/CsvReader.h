#pragma once

#include <QIODevice>
#include <QString>

struct SampleStore;

#include <vector>

struct CsvReadResult {
    bool opened = false;          // the file could be opened for reading
    bool lineZeroRead = false;    // a first line was read, accepted or not
    bool recordReplaced = false;  // the first line was accepted: the store holds this file's record
    bool formatError = false;     // a line broke its rule; the rows before it are kept
    bool truncated = false;       // the store was full: the rest of the file was not read
    bool readFailed = false;      // the file could not be read to its end

    // Where the file is damaged, by line of the file counted from 1.
    int32_t errorLine = 0;               // the line that broke its rule
    std::vector<int32_t> shortRowLines;  // data rows with fewer than 17 fields
    std::vector<int32_t> longLines;      // lines longer than 511 characters
    int32_t emptyLine = 0;               // an empty line that ended reading before lines with text
    int32_t linesAfterEmptyLine = 0;     // those lines
};

// What becomes of a data row with too few fields.
enum class ShortRows {
    Skip,            // the next row takes its place, as Open reads a file
    KeepTheirPlace,  // a row without data ("No data" in both channels) stands
                     // in for it, with the marks of its EVENT field when it has
                     // one whole, so no later row moves in time; the rest of a
                     // line longer than 511 characters is passed over
};

// Reads a record file into the store. The record in memory is replaced only
// once the first line is accepted; from then on the store holds the rows
// read, also when a later line fails. Rows with fewer than 17 fields are
// skipped or stand as rows without data; an empty line ends reading as the
// end of the file does. Leaves DataSaved, RecordFull, SequenceGap and
// ReceivedDeviceId alone.
CsvReadResult ReadRecord(SampleStore& store, QIODevice& device, ShortRows shortRows = ShortRows::Skip);
CsvReadResult ReadRecordFile(SampleStore& store, const QString& path, ShortRows shortRows = ShortRows::Skip);
