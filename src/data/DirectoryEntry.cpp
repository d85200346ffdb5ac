#include "data/DirectoryEntry.h"

#include <QFile>
#include <cerrno>
#include <sys/stat.h>

bool IsNameTaken(const QString& path) {
    struct stat entry;
    if (::lstat(QFile::encodeName(path).constData(), &entry) == 0) return true;
    return errno != ENOENT && errno != ENOTDIR;
}
