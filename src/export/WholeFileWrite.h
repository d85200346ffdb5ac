#pragma once

#include <QString>

// Writes the file under a temporary name in its folder and renames it over
// the path only once it is complete and flushed; on failure the temporary
// file is removed and a file already at the path stays as it was. Empty when
// written, otherwise why not.
QString WriteWholeFile(const QString& path, const char* data, qint64 size);
