#pragma once

#include <QString>
#include <QStringList>

class QTextStream;
struct SampleStore;

// The file a record file converts to when no name is given: its name with
// ".snirf" in place of its extension, in the same folder.
QString SnirfPathFor(const QString& recordPath);

// A saved record file read for an export.
struct RecordFileRead {
    QString failure;  // why it cannot be exported; empty when the store holds its record
    QString damage;   // the file's lines that do not hold whole rows, each of which stands as a row without data
};

// Reads a saved record file into the store for an export. A row too short
// to read keeps its place as a row without data, so that every later row
// keeps its time, and is named in `damage`; a file whose reading stops
// before its end is refused, naming the line.
RecordFileRead ReadWholeRecordFile(SampleStore& store, const QString& path);

// What --export-snirf was given besides the record files.
struct SnirfExportOptions {
    QString output;          // the SNIRF file of the one record file; empty: SnirfPathFor each
    QString subject;         // SubjectID; empty: "unknown"
    bool overwrite = false;  // files that exist are replaced instead of refused
};

// Converts saved record files to SNIRF without a window, each into
// SnirfPathFor(input) or the output given. Prints one line per converted
// file on `out` and one line with the reason per failure on `err`; a failure
// leaves no output file and the other files are still converted; a damaged
// file's lines are named on `err` after its line on `out`. A file
// at the output path is refused unless overwrite is set, and one holding raw
// intensities even then. Returns 0 when every file was converted whole, 1
// otherwise.
int ExportSnirfFiles(const QStringList& inputs, const SnirfExportOptions& options, QTextStream& out,
                     QTextStream& err);
