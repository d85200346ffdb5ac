#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>
#include <functional>

// Real sockets on the loopback address for tests of the mark listener,
// which runs in the test's own thread: every wait runs the event loop.

// Runs the event loop until the condition holds; false after the limit.
inline bool RunEventsUntil(const std::function<bool()>& condition, int limitMilliseconds = 5000) {
    const QDeadlineTimer deadline(limitMilliseconds);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

// A port free for TCP and UDP on 127.0.0.1 just now.
inline quint16 FreeLoopbackPort() {
    for (int attempt = 0; attempt < 50; ++attempt) {
        QTcpServer tcp;
        QUdpSocket udp;
        if (tcp.listen(QHostAddress::LocalHost, 0) && udp.bind(QHostAddress::LocalHost, tcp.serverPort()))
            return tcp.serverPort();
    }
    return 0;
}

// A stimulus program's TCP connection.
class MarkClient {
public:
    QTcpSocket socket;

    // from: the address the connection comes from; every 127.x.y.z is this
    // computer, so one test can play several computers.
    bool Connect(quint16 port, const QHostAddress& address = QHostAddress::LocalHost,
                 const QHostAddress& from = QHostAddress()) {
        if (!from.isNull() && !socket.bind(from)) return false;
        socket.connectToHost(address, port);
        return RunEventsUntil([this] { return socket.state() != QAbstractSocket::ConnectingState &&
                                               socket.state() != QAbstractSocket::HostLookupState; }) &&
               socket.state() == QAbstractSocket::ConnectedState;
    }
    void Send(const QByteArray& bytes) {
        socket.write(bytes);
        socket.flush();
    }
    // The next answer without its line end; empty when none came.
    QByteArray ReadAnswer() {
        RunEventsUntil([this] { return socket.canReadLine() || socket.state() == QAbstractSocket::UnconnectedState; });
        return socket.canReadLine() ? socket.readLine().chopped(1) : QByteArray();
    }
    QByteArray Ask(const QByteArray& line) {
        Send(line);
        return ReadAnswer();
    }
    bool WaitClosed() {
        return RunEventsUntil([this] { return socket.state() == QAbstractSocket::UnconnectedState; });
    }
};

inline void SendDatagram(quint16 port, const QByteArray& bytes, const QHostAddress& from = QHostAddress()) {
    QUdpSocket udp;
    if (!from.isNull()) udp.bind(from);
    udp.writeDatagram(bytes, QHostAddress::LocalHost, port);
}
