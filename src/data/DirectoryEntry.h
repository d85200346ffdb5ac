#pragma once

#include <QString>

// Whether a directory entry of this name exists: a file, a folder or a
// symbolic link, also one that points nowhere. QFileInfo::exists follows
// links, so a dangling link would look like a free name, and a file written
// there would land wherever the link points. An entry that cannot be
// examined counts as taken.
bool IsNameTaken(const QString& path);
