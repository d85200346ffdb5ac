#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

// The file a record file converts to when no name is given: its name with
// ".snirf" in place of its extension, in the same folder.
QString SnirfPathFor(const QString& recordPath);

// Converts saved record files to SNIRF without a window: each into
// SnirfPathFor(input), or into `output` when given (one input only). Prints
// one line per converted file on `out` and one line with the reason per
// failure on `err`; a failure leaves no output file and the other files are
// still converted. Returns 0 when every file was converted, 1 otherwise.
int ExportSnirfFiles(const QStringList& inputs, const QString& output, QTextStream& out, QTextStream& err);
