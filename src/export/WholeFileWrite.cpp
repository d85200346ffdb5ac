#include "export/WholeFileWrite.h"

#include <QSaveFile>
#include <cerrno>
#include <cstring>

QString WriteWholeFile(const QString& path, const char* data, qint64 size) {
    // Unbuffered, so that a failing write leaves the system's reason in errno.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return file.errorString();
    errno = 0;
    if (file.write(data, size) != size) {
        const QString reason = errno != 0 ? QString::fromLocal8Bit(std::strerror(errno)) : file.errorString();
        file.cancelWriting();
        file.commit();  // after cancelWriting this only removes the temporary file
        return reason;
    }
    if (!file.commit()) return file.errorString();
    return {};
}
