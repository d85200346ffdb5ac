#pragma once

#include <QString>

// Writes the file under a temporary name in its folder and renames it over
// the path only once it is complete and flushed; on failure the temporary
// file is removed and a file already at the path stays as it was. Empty when
// written, otherwise why not.
QString WriteWholeFile(const QString& path, const char* data, qint64 size);

// The same for a file that must be new: a path any directory entry holds,
// a link included, is refused with FileExistsText, also when the entry
// appears while the file is being written. The complete file takes the name
// in one step that fails rather than replace what is there.
QString WriteWholeNewFile(const QString& path, const char* data, qint64 size);

constexpr const char* FileExistsText = "the file exists";
