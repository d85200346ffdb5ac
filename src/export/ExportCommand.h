#pragma once

#include <QString>
#include <QStringList>

class QTextStream;
struct SampleStore;

// The file a record file converts to when no name is given: its name with
// ".snirf" in place of its extension, in the same folder.
QString SnirfPathFor(const QString& recordPath);

// Reads a saved record file into the store for an export: empty when the
// store then holds the file's whole record, otherwise why it cannot be
// exported.
QString ReadWholeRecordFile(SampleStore& store, const QString& path);

// Converts saved record files to SNIRF without a window: each into
// SnirfPathFor(input), or into `output` when given (one input only), with
// the subject as SubjectID ("unknown" when empty). Prints one line per
// converted file on `out` and one line with the reason per failure on `err`;
// a failure leaves no output file and the other files are still converted.
// Returns 0 when every file was converted, 1 otherwise.
int ExportSnirfFiles(const QStringList& inputs, const QString& output, const QString& subject, QTextStream& out,
                     QTextStream& err);
