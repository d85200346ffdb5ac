#pragma once

#include <QByteArray>
#include <QString>

// Reads a file whole into memory; false, with the system's reason, when it
// cannot be opened or read to its end.
bool ReadWholeFile(const QString& path, QByteArray& bytes, QString* error);
