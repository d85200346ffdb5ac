#include "journal/FileWrites.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

QString SystemError(const char* call) {
    return QStringLiteral("%1: %2").arg(QLatin1String(call), QString::fromLocal8Bit(std::strerror(errno)));
}

bool WriteAllAt(int descriptor, const uint8_t* bytes, size_t size, int64_t offset, QString& error,
                size_t* written) {
    auto at = static_cast<off_t>(offset);
    size_t done = 0;
    while (done < size) {
        const ssize_t count = ::pwrite(descriptor, bytes + done, size - done, at);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) {
            error = count < 0 ? SystemError("write") : QStringLiteral("write: no space left");
            break;
        }
        done += static_cast<size_t>(count);
        at += count;
    }
    if (written) *written = done;
    return done == size;
}
