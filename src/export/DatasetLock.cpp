#include "export/DatasetLock.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The descriptor's file is still the one of that name: not removed by the
// holder before us.
bool StillNamed(int descriptor, const QByteArray& path) {
    struct stat held, named;
    return ::fstat(descriptor, &held) == 0 && ::stat(path.constData(), &named) == 0 && held.st_dev == named.st_dev &&
           held.st_ino == named.st_ino;
}

}  // namespace

DatasetLock::DatasetLock(const QString& folder) : path_(QDir(folder).filePath(QString::fromLatin1(FileName))) {
    const QByteArray path = QFile::encodeName(path_);
    for (;;) {
        const int descriptor = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (descriptor < 0) {
            if (errno != ENOENT) failure_ = QStringLiteral("cannot lock the dataset: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
            return;
        }
        int locked;
        do locked = ::flock(descriptor, LOCK_EX);
        while (locked != 0 && errno == EINTR);
        if (locked != 0) {
            failure_ = QStringLiteral("cannot lock the dataset: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
            ::close(descriptor);
            return;
        }
        if (StillNamed(descriptor, path)) {
            descriptor_ = descriptor;
            return;
        }
        ::close(descriptor);
    }
}

DatasetLock::~DatasetLock() { Release(); }

void DatasetLock::Release() {
    if (descriptor_ < 0) return;
    ::unlink(QFile::encodeName(path_).constData());
    ::close(descriptor_);
    descriptor_ = -1;
}
