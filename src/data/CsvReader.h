#pragma once

#include <QIODevice>
#include <QString>

struct SampleStore;

struct CsvReadResult {
    bool opened = false;          // the file could be opened for reading
    bool lineZeroRead = false;    // a first line was read, accepted or not
    bool recordReplaced = false;  // the first line was accepted: the store holds this file's record
    bool formatError = false;     // a line broke its rule; the rows before it are kept
    bool truncated = false;       // the store was full: the rest of the file was not read
    bool readFailed = false;      // the file could not be read to its end
};

// Reads a record file into the store. The record in memory is replaced only
// once the first line is accepted; from then on the store holds the rows
// read, also when a later line fails. Rows with fewer than 17 fields are
// skipped; an empty line ends reading as the end of the file does.
// Leaves DataSaved, RecordFull, SequenceGap and ReceivedDeviceId alone.
CsvReadResult ReadRecord(SampleStore& store, QIODevice& device);
CsvReadResult ReadRecordFile(SampleStore& store, const QString& path);
