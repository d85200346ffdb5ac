#pragma once

#include <QByteArrayView>
#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <deque>
#include <functional>

class QTcpServer;
class QTcpSocket;
class QUdpSocket;

// Listens on one address and port for the event marks of stimulus programs:
// lines over TCP connections, each answered "OK" or "ERR <reason>", and the
// same lines in UDP datagrams, unanswered. What a mark does is the
// handler's business; this class only keeps the sockets and their input in
// bounds, fairly among the computers that send: one address holds at most 4
// connections (a fifth takes the place of its own oldest), a new client takes
// the place of the one silent longest when all 8 are taken, an address's
// marks beyond 20 a second (whatever its sockets) are refused, and so are
// all marks beyond 50 a second together.
class MarkListener : public QObject {
    Q_OBJECT

public:
    static constexpr int MaxLineLength = 64;  // bytes before the LF; a longer line closes the connection
    static constexpr int MaxClients = 8;      // a further one replaces the client silent longest
    static constexpr int MaxClientsPerAddress = 4;  // a further one replaces that address's oldest
    static constexpr int MaxMarksPerSecond = 20;  // per sender address, TCP and UDP together; the excess is refused
    static constexpr int MaxTotalMarksPerSecond = 50;  // all senders together
    // A client that sends lines without reading the answers is dropped
    // before its answers pile up.
    static constexpr qint64 MaxUnsentAnswerBytes = 4096;

    // Takes a mark (+n event n started, -n ended): empty when it was taken,
    // otherwise the reason it was not.
    using MarkHandler = std::function<QString(int event)>;

    explicit MarkListener(MarkHandler handler, QObject* parent = nullptr);
    ~MarkListener() override;

    // Stops listening, then listens for TCP and UDP on the address and port;
    // port 0 takes a free port for both. False, with the reason in
    // StatusText, when it cannot.
    bool Listen(const QString& address, quint16 port);
    void Stop();

    bool IsListening() const;
    quint16 Port() const { return port_; }
    int ClientCount() const { return static_cast<int>(clients_.size()); }
    int BadLineCount() const { return badLines_; }
    int ReplacedClientCount() const { return replacedClients_; }
    int TooFastCount() const { return tooFast_; }
    // "listening on 127.0.0.1:7580, 1 client", "off" or why it cannot listen.
    QString StatusText() const;

signals:
    void StatusChanged();

private:
    bool Bind(const QHostAddress& address, quint16 port);
    void AcceptClients();
    void ReadClient(QTcpSocket* client);
    // The client that gives up its place to a newcomer from address, if one must.
    QTcpSocket* ClientToReplace(const QString& address) const;
    void CloseClient(QTcpSocket* client, const QByteArray& lastAnswer);
    void ForgetClient(QTcpSocket* client);
    void ReadDatagrams();
    // The times (ms) of marks taken in the last second.
    using RecentMarks = std::deque<qint64>;
    QString Answer(QByteArrayView line, const QString& sender);
    void ForgetQuietSenders();

    struct Client {
        QString address;         // the sender it counts for
        QByteArray partial;      // the unfinished line
        quint64 connected = 0;   // when it came, in the order of all clients' input
        quint64 lastHeard = 0;   // when it last sent, in the same order
    };

    MarkHandler handler_;
    QTcpServer* server_ = nullptr;
    QUdpSocket* udp_ = nullptr;
    QHash<QTcpSocket*, Client> clients_;
    QHash<QString, RecentMarks> senders_;  // by address
    RecentMarks allMarks_;
    quint64 inputOrder_ = 0;
    QElapsedTimer clock_;
    QString address_;
    quint16 port_ = 0;
    QString failure_;  // why the last Listen failed; empty when it did not
    int badLines_ = 0;
    int replacedClients_ = 0;
    int tooFast_ = 0;
};
