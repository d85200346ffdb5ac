#include "support/PseudoTerminalPair.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QStandardPaths>

PseudoTerminalPair::PseudoTerminalPair() {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("socat"));
    if (program.isEmpty()) {
        failure = QStringLiteral("socat is not installed");
        return;
    }
    socat_.setReadChannel(QProcess::StandardError);  // where socat logs
    socat_.start(program, {QStringLiteral("-d"), QStringLiteral("-d"), QStringLiteral("pty,raw,echo=0"),
                           QStringLiteral("pty,raw,echo=0")});
    if (!socat_.waitForStarted(5000)) {
        failure = QStringLiteral("socat did not start");
        return;
    }

    // socat names both terminals and then announces its transfer loop.
    static const QRegularExpression ptyLine(QStringLiteral("PTY is (\\S+)"));
    QByteArray log;
    QStringList paths;
    const QDeadlineTimer deadline(5000);
    while (!log.contains("starting data transfer loop") && !deadline.hasExpired()) {
        if (socat_.state() != QProcess::Running) break;
        socat_.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
        log += socat_.readAllStandardError();
    }
    for (auto it = ptyLine.globalMatch(QString::fromLocal8Bit(log)); it.hasNext();) paths << it.next().captured(1);
    if (paths.size() != 2 || !log.contains("starting data transfer loop")) {
        failure = QStringLiteral("socat gave no pseudo-terminal pair: ") + QString::fromLocal8Bit(log);
        return;
    }
    nearPath = paths[0];
    farPath = paths[1];
    farDescriptor_ = ::open(farPath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    nearDescriptor_ = ::open(nearPath.toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (farDescriptor_ < 0 || nearDescriptor_ < 0) failure = QStringLiteral("cannot open the terminals");
}

PseudoTerminalPair::~PseudoTerminalPair() {
    if (farDescriptor_ >= 0) ::close(farDescriptor_);
    if (nearDescriptor_ >= 0) ::close(nearDescriptor_);
    if (socat_.state() != QProcess::NotRunning) {
        socat_.kill();
        socat_.waitForFinished(5000);
    }
}

bool PseudoTerminalPair::WriteFar(const QByteArray& bytes) {
    qsizetype written = 0;
    const QDeadlineTimer deadline(5000);
    while (written < bytes.size() && !deadline.hasExpired()) {
        const ssize_t count = ::write(farDescriptor_, bytes.constData() + written, bytes.size() - written);
        if (count > 0) written += count;
        else ::usleep(1000);
    }
    return written == bytes.size();
}

QByteArray PseudoTerminalPair::ReadFar(int count, int timeoutMs) {
    QByteArray received;
    const QDeadlineTimer deadline(timeoutMs);
    while (received.size() < count && !deadline.hasExpired()) {
        pollfd descriptor{farDescriptor_, POLLIN, 0};
        if (::poll(&descriptor, 1, static_cast<int>(deadline.remainingTime())) <= 0) break;
        char buffer[256];
        const ssize_t got = ::read(farDescriptor_, buffer, sizeof buffer);
        if (got > 0) received.append(buffer, got);
    }
    return received;
}

bool PseudoTerminalPair::WaitNearQueued(int count, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        int queued = 0;
        if (::ioctl(nearDescriptor_, TIOCINQ, &queued) == 0 && queued >= count) return true;
        if (deadline.hasExpired()) return false;
        ::usleep(2000);
    }
}

bool PseudoTerminalPair::NearLineSettings(termios& settings) { return ::tcgetattr(nearDescriptor_, &settings) == 0; }

bool PseudoTerminalPair::KeepsCharacterFormat() {
    termios settings{};
    if (::tcgetattr(nearDescriptor_, &settings) != 0) return false;
    settings.c_cflag = (settings.c_cflag & ~CSIZE) | CS7 | PARENB;
    termios seen{};
    return ::tcsetattr(nearDescriptor_, TCSANOW, &settings) == 0 && ::tcgetattr(nearDescriptor_, &seen) == 0 &&
           (seen.c_cflag & CSIZE) == CS7 && (seen.c_cflag & PARENB) != 0;
}
