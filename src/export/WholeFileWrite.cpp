#include "export/WholeFileWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "data/DirectoryEntry.h"

namespace {

QString SystemReason() { return QString::fromLocal8Bit(std::strerror(errno)); }

// Gives the complete temporary file the path unless something holds it:
// renameat2 where the file system has it, a hard link where it does not.
QString TakeNameWithoutReplacing(const QString& temporary, const QString& path) {
    const QByteArray from = QFile::encodeName(temporary), to = QFile::encodeName(path);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) return {};
    if (errno == EEXIST) return QString::fromLatin1(FileExistsText);
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return SystemReason();
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return {};
    }
    return errno == EEXIST ? QString::fromLatin1(FileExistsText) : SystemReason();
}

}  // namespace

QString WriteWholeFile(const QString& path, const char* data, qint64 size) {
    // Unbuffered, so that a failing write leaves the system's reason in errno.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return file.errorString();
    errno = 0;
    if (file.write(data, size) != size) {
        const QString reason = errno != 0 ? SystemReason() : file.errorString();
        file.cancelWriting();
        file.commit();  // after cancelWriting this only removes the temporary file
        return reason;
    }
    if (!file.commit()) return file.errorString();
    return {};
}

QString WriteWholeNewFile(const QString& path, const char* data, qint64 size) {
    if (IsNameTaken(path)) return QString::fromLatin1(FileExistsText);
    // Mode 0666 less the umask, as any new file of the user's gets.
    const QFileInfo target(path);
    int descriptor = -1;
    QString temporary;
    for (int attempt = 0; descriptor < 0 && attempt < 100; ++attempt) {
        temporary = target.dir().filePath(QStringLiteral(".%1.%2.tmp")
                                              .arg(target.fileName())
                                              .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        descriptor = ::open(QFile::encodeName(temporary).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor < 0 && errno != EEXIST) return SystemReason();
    }
    if (descriptor < 0) return SystemReason();
    QString reason;
    for (qint64 done = 0; done < size && reason.isEmpty();) {
        const ssize_t count = ::write(descriptor, data + done, static_cast<size_t>(size - done));
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) reason = SystemReason();
        else done += count;
    }
    if (reason.isEmpty() && ::fdatasync(descriptor) != 0) reason = SystemReason();
    ::close(descriptor);
    if (reason.isEmpty()) reason = TakeNameWithoutReplacing(temporary, path);
    if (!reason.isEmpty()) QFile::remove(temporary);
    return reason;
}
