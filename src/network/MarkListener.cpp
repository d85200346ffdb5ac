#include "network/MarkListener.h"

#include <QLoggingCategory>
#include <QNetworkDatagram>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>

#include "network/MarkLine.h"

namespace {
Q_LOGGING_CATEGORY(lcNetwork, "tq580.network")

constexpr int MaxDatagramBytes = 4096;  // the rest of a longer datagram is discarded
constexpr qint64 ClientReadBufferBytes = 4096;  // beyond it the sender waits, memory stays bounded
constexpr int FreePortAttempts = 20;
constexpr qint64 RateWindowMilliseconds = 1000;
constexpr int MaxRememberedSenders = 256;
}  // namespace

MarkListener::MarkListener(MarkHandler handler, QObject* parent) : QObject(parent), handler_(std::move(handler)) {
    clock_.start();
}

MarkListener::~MarkListener() {
    blockSignals(true);  // whoever shows the status may be gone already
    Stop();
}

bool MarkListener::Listen(const QString& address, quint16 port) {
    Stop();
    address_ = address;
    port_ = port;
    const QHostAddress host(address);
    if (host.isNull()) {
        failure_ = QStringLiteral("\"%1\" is not an IP address").arg(address);
    } else {
        // Port 0 lets the system choose the TCP port; UDP then needs the same
        // one free, which it usually but not always is.
        for (int attempt = 0; attempt < (port == 0 ? FreePortAttempts : 1); ++attempt)
            if (Bind(host, port)) break;
    }
    if (!failure_.isEmpty()) qCWarning(lcNetwork) << "mark listener:" << StatusText();
    else qCInfo(lcNetwork) << "mark listener:" << StatusText();
    emit StatusChanged();
    return failure_.isEmpty();
}

bool MarkListener::Bind(const QHostAddress& address, quint16 port) {
    Stop();
    server_ = new QTcpServer(this);
    udp_ = new QUdpSocket(this);
    if (!server_->listen(address, port)) {
        failure_ = server_->errorString();
    } else if (!udp_->bind(address, server_->serverPort())) {
        failure_ = udp_->errorString();
        port_ = server_->serverPort();
    } else {
        port_ = server_->serverPort();
        connect(server_, &QTcpServer::newConnection, this, &MarkListener::AcceptClients);
        connect(udp_, &QUdpSocket::readyRead, this, &MarkListener::ReadDatagrams);
        return true;
    }
    const QString why = failure_;
    Stop();
    failure_ = why;
    return false;
}

void MarkListener::Stop() {
    const QList<QTcpSocket*> clients = clients_.keys();
    clients_.clear();
    for (QTcpSocket* client : clients) {
        client->disconnect(this);
        client->abort();
        client->deleteLater();
    }
    if (server_) server_->close();
    if (udp_) udp_->close();
    delete server_;  // also the refused connections it still owns
    delete udp_;
    server_ = nullptr;
    udp_ = nullptr;
    failure_.clear();
    if (!clients.isEmpty()) emit StatusChanged();
}

bool MarkListener::IsListening() const { return server_ && server_->isListening(); }

QString MarkListener::StatusText() const {
    const QString where = address_.contains(QLatin1Char(':')) ? QStringLiteral("[%1]:%2").arg(address_).arg(port_)
                                                              : QStringLiteral("%1:%2").arg(address_).arg(port_);
    if (!failure_.isEmpty()) return QStringLiteral("cannot listen on %1: %2").arg(where, failure_);
    if (!IsListening()) return QStringLiteral("off");
    const int clients = ClientCount();
    return QStringLiteral("listening on %1, %2 %3")
        .arg(where)
        .arg(clients)
        .arg(clients == 1 ? QStringLiteral("client") : QStringLiteral("clients"));
}

// An address with all its places taken gives up its own oldest, so one
// computer cannot crowd the others out; all places taken, the client silent
// longest gives up its place, so connections a stimulus program forgot to
// close lock nobody out.
QTcpSocket* MarkListener::ClientToReplace(const QString& address) const {
    QTcpSocket* oldestOfAddress = nullptr;
    int ofAddress = 0;
    QTcpSocket* quietest = nullptr;
    for (auto it = clients_.cbegin(); it != clients_.cend(); ++it) {
        if (it->address == address) {
            ++ofAddress;
            if (!oldestOfAddress || it->connected < clients_.value(oldestOfAddress).connected) oldestOfAddress = it.key();
        }
        if (!quietest || it->lastHeard < clients_.value(quietest).lastHeard) quietest = it.key();
    }
    if (ofAddress >= MaxClientsPerAddress) return oldestOfAddress;
    return clients_.size() >= MaxClients ? quietest : nullptr;
}

void MarkListener::AcceptClients() {
    while (server_ && server_->hasPendingConnections()) {
        QTcpSocket* client = server_->nextPendingConnection();
        connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
        const QString address = client->peerAddress().toString();
        if (QTcpSocket* replaced = ClientToReplace(address)) {
            ++replacedClients_;
            qCInfo(lcNetwork) << "mark client replaced by a new one from" << address;
            CloseClient(replaced, "ERR replaced\n");
        }
        client->setReadBufferSize(ClientReadBufferBytes);
        const quint64 order = ++inputOrder_;
        clients_.insert(client, Client{address, {}, order, order});
        connect(client, &QTcpSocket::readyRead, this, [this, client] { ReadClient(client); });
        connect(client, &QTcpSocket::disconnected, this, [this, client] { ForgetClient(client); });
        emit StatusChanged();
    }
}

// Splits what arrived into lines first and answers them after, so a
// handler that runs the event loop finds the client's state settled.
void MarkListener::ReadClient(QTcpSocket* client) {
    if (!clients_.contains(client)) return;
    clients_[client].lastHeard = ++inputOrder_;
    QByteArray partial = clients_.value(client).partial;
    QList<QByteArray> lines;
    bool tooLong = false;
    char chunk[512];
    while (!tooLong && client->bytesAvailable() > 0) {
        const qint64 count = client->read(chunk, sizeof chunk);
        if (count <= 0) break;
        for (qint64 i = 0; i < count; ++i) {
            if (chunk[i] == '\n') {
                lines.append(partial);
                partial.clear();
            } else if (partial.size() >= MaxLineLength) {
                tooLong = true;
                break;
            } else {
                partial.append(chunk[i]);
            }
        }
    }
    clients_[client].partial = partial;
    if (tooLong) client->readAll();  // at most the read buffer; the connection closes anyway

    const QPointer<QTcpSocket> alive(client);
    const QString sender = clients_.value(client).address;
    for (const QByteArray& line : lines) {
        const QString answer = Answer(line, sender);
        if (!alive || !clients_.contains(client)) return;
        client->write(answer.toLatin1() + '\n');
        if (client->bytesToWrite() > MaxUnsentAnswerBytes) {
            qCInfo(lcNetwork) << "mark client dropped: it reads no answers";
            client->abort();
            return;
        }
    }
    if (tooLong) {
        ++badLines_;
        qCInfo(lcNetwork) << "mark client closed: a line longer than" << MaxLineLength << "bytes";
        CloseClient(client, "ERR line too long\n");
    }
}

void MarkListener::CloseClient(QTcpSocket* client, const QByteArray& lastAnswer) {
    ForgetClient(client);
    client->disconnect(this);
    client->write(lastAnswer);
    client->disconnectFromHost();
}

// A line the client did not finish is dropped with it.
void MarkListener::ForgetClient(QTcpSocket* client) {
    if (clients_.remove(client)) emit StatusChanged();
}

// Each datagram holds one or more lines; none is answered.
void MarkListener::ReadDatagrams() {
    const QPointer<QUdpSocket> udp(udp_);
    while (udp && udp->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = udp->receiveDatagram(MaxDatagramBytes);
        const QString sender = datagram.senderAddress().toString();
        QList<QByteArray> lines = datagram.data().split('\n');
        if (lines.size() > 1 && lines.constLast().isEmpty()) lines.removeLast();
        for (const QByteArray& line : lines) {
            if (line.size() > MaxLineLength) {
                ++badLines_;
                continue;
            }
            Answer(line, sender);
            if (!udp) return;
        }
    }
}

// Senders with no mark in the last second need no memory; if all had one,
// a flood from many addresses forgets them all rather than grow.
void MarkListener::ForgetQuietSenders() {
    const qint64 now = clock_.elapsed();
    for (auto it = senders_.begin(); it != senders_.end();) {
        if (it->empty() || now - it->back() >= RateWindowMilliseconds) it = senders_.erase(it);
        else ++it;
    }
    if (senders_.size() >= MaxRememberedSenders) senders_.clear();
}

// A mark beyond its address's 20, or all senders' 50, in the last second is
// refused before the handler sees it: a flood fills neither the record nor
// the event log, however many sockets it comes through.
QString MarkListener::Answer(QByteArrayView line, const QString& sender) {
    const MarkLine mark = ParseMarkLine(line);
    if (!mark.error.isEmpty()) {
        ++badLines_;
        return QStringLiteral("ERR ") + mark.error;
    }
    const qint64 now = clock_.elapsed();
    const auto forgetOld = [now](RecentMarks& recent) {
        while (!recent.empty() && now - recent.front() >= RateWindowMilliseconds) recent.pop_front();
    };
    if (!senders_.contains(sender) && senders_.size() >= MaxRememberedSenders) ForgetQuietSenders();
    RecentMarks& recent = senders_[sender];
    forgetOld(recent);
    forgetOld(allMarks_);
    if (recent.size() >= static_cast<size_t>(MaxMarksPerSecond) ||
        allMarks_.size() >= static_cast<size_t>(MaxTotalMarksPerSecond)) {
        ++tooFast_;
        return QStringLiteral("ERR too fast");
    }
    recent.push_back(now);
    allMarks_.push_back(now);
    const QString refused = handler_ ? handler_(mark.event) : QStringLiteral("not measuring");
    return refused.isEmpty() ? QStringLiteral("OK") : QStringLiteral("ERR ") + refused;
}
