#include <gtest/gtest.h>

#include <QTcpServer>
#include <QUdpSocket>
#include <memory>
#include <vector>

#include "network/MarkListener.h"
#include "support/LoopbackClients.h"

namespace {

// A listener on a free loopback port whose handler records the marks and
// refuses them while `refusal` is set.
class MarkListenerTest : public ::testing::Test {
protected:
    std::vector<int> marks;
    QString refusal;
    MarkListener listener{[this](int event) {
        if (refusal.isEmpty()) marks.push_back(event);
        return refusal;
    }};
    quint16 port = 0;

    void SetUp() override {
        ASSERT_TRUE(listener.Listen(QStringLiteral("127.0.0.1"), 0)) << listener.StatusText().toStdString();
        port = listener.Port();
    }

    // A client from this computer, or from the computer whose address ends in `host`.
    std::unique_ptr<MarkClient> Connected(int host = 1) {
        auto client = std::make_unique<MarkClient>();
        const int before = listener.ClientCount();
        EXPECT_TRUE(client->Connect(port, QHostAddress::LocalHost, Computer(host)));
        EXPECT_TRUE(RunEventsUntil([&] { return listener.ClientCount() == before + 1; }));
        return client;
    }
    static QHostAddress Computer(int host) { return QHostAddress(QStringLiteral("127.0.0.%1").arg(host)); }
};

TEST_F(MarkListenerTest, EachTcpLineIsAnsweredInOrder) {
    auto client = Connected();
    EXPECT_EQ(client->Ask("S3\n"), "OK");
    EXPECT_EQ(client->Ask("E3\r\n"), "OK");
    client->Send("S1\nbad\nE1\n");  // several lines in one write
    EXPECT_EQ(client->ReadAnswer(), "OK");
    EXPECT_EQ(client->ReadAnswer(), "ERR bad line");
    EXPECT_EQ(client->ReadAnswer(), "OK");
    client->Send("S");  // a line split over two writes
    client->Send("9\n");
    EXPECT_EQ(client->ReadAnswer(), "OK");
    refusal = QStringLiteral("not measuring");
    EXPECT_EQ(client->Ask("S4\n"), "ERR not measuring");

    EXPECT_EQ(marks, (std::vector<int>{3, -3, 1, -1, 9}));
    EXPECT_EQ(listener.BadLineCount(), 1);
    EXPECT_EQ(listener.StatusText(), QStringLiteral("listening on 127.0.0.1:%1, 1 client").arg(port));
}

TEST_F(MarkListenerTest, UdpDatagramsCarryTheSameLinesUnanswered) {
    SendDatagram(port, "S2\n");
    SendDatagram(port, "E2");  // a datagram needs no line end
    SendDatagram(port, "S5\r\nnonsense\nE5\n");
    SendDatagram(port, QByteArray(200, 'S'));
    ASSERT_TRUE(RunEventsUntil([&] { return marks.size() == 4 && listener.BadLineCount() == 2; }));
    EXPECT_EQ(marks, (std::vector<int>{2, -2, 5, -5}));
}

// A line longer than 64 bytes closes its connection, after the answers to
// the lines before it; other clients go on.
TEST_F(MarkListenerTest, ALongLineClosesOnlyItsConnection) {
    auto other = Connected();
    auto client = Connected();
    EXPECT_EQ(client->Ask(QByteArray(63, 'x') + "\r\n"), "ERR bad line");  // 64 bytes: still a line
    client->Send("S6\n" + QByteArray(100, 'S') + "\n");
    EXPECT_EQ(client->ReadAnswer(), "OK");
    EXPECT_EQ(client->ReadAnswer(), "ERR line too long");
    EXPECT_TRUE(client->WaitClosed());
    EXPECT_TRUE(RunEventsUntil([&] { return listener.ClientCount() == 1; }));
    EXPECT_EQ(other->Ask("E6\n"), "OK");
    EXPECT_EQ(marks, (std::vector<int>{6, -6}));
}

// All places taken: a new client takes the place of the one silent
// longest, which is told so; connections left open lock nobody out. The
// computers here are two, four connections each.
TEST_F(MarkListenerTest, ANewClientTakesThePlaceOfTheOneSilentLongest) {
    std::vector<std::unique_ptr<MarkClient>> clients;
    for (int i = 0; i < MarkListener::MaxClients; ++i) clients.push_back(Connected(1 + i % 2));
    for (int i = 1; i < MarkListener::MaxClients; ++i) EXPECT_EQ(clients[i]->Ask("S1\n"), "OK") << i;

    MarkClient ninth;
    ASSERT_TRUE(ninth.Connect(port, QHostAddress::LocalHost, Computer(3)));
    EXPECT_EQ(clients[0]->ReadAnswer(), "ERR replaced");
    EXPECT_TRUE(clients[0]->WaitClosed());
    EXPECT_EQ(ninth.Ask("S8\n"), "OK");
    EXPECT_EQ(listener.ClientCount(), MarkListener::MaxClients);
    EXPECT_EQ(listener.ReplacedClientCount(), 1);

    // Now client 1 is the one silent longest.
    MarkClient tenth;
    ASSERT_TRUE(tenth.Connect(port, QHostAddress::LocalHost, Computer(3)));
    EXPECT_EQ(clients[1]->ReadAnswer(), "ERR replaced");
    EXPECT_EQ(tenth.Ask("E8\n"), "OK");
    EXPECT_EQ(clients[2]->Ask("E1\n"), "OK");
    EXPECT_EQ(listener.ReplacedClientCount(), 2);
}

// One computer holds four connections at most: a fifth takes the place of
// its own oldest, never another computer's, even with places free.
TEST_F(MarkListenerTest, AComputerWithFourConnectionsReplacesItsOwnOldest) {
    auto other = Connected(2);
    std::vector<std::unique_ptr<MarkClient>> own;
    for (int i = 0; i < MarkListener::MaxClientsPerAddress; ++i) own.push_back(Connected(1));
    MarkClient fifth;
    ASSERT_TRUE(fifth.Connect(port, QHostAddress::LocalHost, Computer(1)));
    EXPECT_EQ(own[0]->ReadAnswer(), "ERR replaced");
    EXPECT_TRUE(own[0]->WaitClosed());
    EXPECT_EQ(fifth.Ask("S2\n"), "OK");
    EXPECT_EQ(own[1]->Ask("E2\n"), "OK");
    EXPECT_EQ(other->Ask("S3\n"), "OK");  // the other computer keeps its place
    EXPECT_EQ(listener.ClientCount(), 1 + MarkListener::MaxClientsPerAddress);
}

// More than 20 marks a second from one computer, whatever sockets it uses:
// the excess is refused and never reaches the handler; other computers are
// not held back.
TEST_F(MarkListenerTest, MarksBeyondTwentyASecondFromOneComputerAreRefused) {
    std::vector<std::unique_ptr<MarkClient>> flooding;
    for (int i = 0; i < MarkListener::MaxClientsPerAddress; ++i) flooding.push_back(Connected(1));
    auto other = Connected(2);
    QList<QByteArray> answers;
    for (int round = 0; round < 3; ++round)
        for (auto& client : flooding) answers << client->Ask(round % 2 ? "E1\n" : "S1\n");
    for (int i = 0; i < 18; ++i) answers << flooding[i % 4]->Ask("S1\n");
    EXPECT_EQ(answers.count("OK"), MarkListener::MaxMarksPerSecond);
    EXPECT_EQ(answers.count("ERR too fast"), 30 - MarkListener::MaxMarksPerSecond);
    EXPECT_EQ(answers.mid(MarkListener::MaxMarksPerSecond).count("OK"), 0);
    EXPECT_EQ(marks.size(), size_t(MarkListener::MaxMarksPerSecond));
    EXPECT_EQ(other->Ask("S2\n"), "OK");

    // UDP from that computer counts with its TCP, whatever the socket.
    SendDatagram(port, "S3\n", Computer(1));
    SendDatagram(port, "E3\n", Computer(1));
    QByteArray datagram;
    for (int i = 0; i < 25; ++i) datagram += "S4\n";
    SendDatagram(port, datagram, Computer(3));
    ASSERT_TRUE(RunEventsUntil([&] { return listener.TooFastCount() == 10 + 2 + 5 && marks.size() == 41; }));

    RunEventsUntil([] { return false; }, 1100);  // a second later the flooding computer may mark again
    EXPECT_EQ(flooding[0]->Ask("S1\n"), "OK");
}

// All senders together take 50 marks a second at most.
TEST_F(MarkListenerTest, AllComputersTogetherTakeFiftyMarksASecond) {
    std::vector<std::unique_ptr<MarkClient>> computers;
    for (int host = 1; host <= 4; ++host) computers.push_back(Connected(host));
    int taken = 0;
    for (int i = 0; i < MarkListener::MaxMarksPerSecond; ++i)
        for (auto& computer : computers) taken += computer->Ask("S5\n") == "OK" ? 1 : 0;
    EXPECT_EQ(taken, MarkListener::MaxTotalMarksPerSecond);
    EXPECT_EQ(marks.size(), size_t(MarkListener::MaxTotalMarksPerSecond));
}

// What a vanished client left unfinished is not a mark, nor the start of
// the next client's line.
TEST_F(MarkListenerTest, AClientThatVanishesMidLineChangesNothing) {
    {
        auto client = Connected();
        client->Send("S");
        RunEventsUntil([] { return false; }, 50);
        client->socket.abort();
    }
    ASSERT_TRUE(RunEventsUntil([&] { return listener.ClientCount() == 0; }));
    auto next = Connected();
    EXPECT_EQ(next->Ask("7\n"), "ERR bad line");
    EXPECT_TRUE(marks.empty());
}

TEST_F(MarkListenerTest, ListensOnlyOnItsAddress) {
    MarkClient elsewhere;  // every 127.x.y.z reaches this machine, but nothing listens on .2
    EXPECT_FALSE(elsewhere.Connect(port, QHostAddress(QStringLiteral("127.0.0.2"))));
    EXPECT_EQ(listener.ClientCount(), 0);
}

TEST_F(MarkListenerTest, StoppedItClosesEveryoneAndSaysOff) {
    auto client = Connected();
    listener.Stop();
    EXPECT_TRUE(client->WaitClosed());
    EXPECT_FALSE(listener.IsListening());
    EXPECT_EQ(listener.StatusText(), "off");
    MarkClient late;
    EXPECT_FALSE(late.Connect(port));
}

TEST(MarkListenerBinding, APortInUseOrABadAddressGivesTheReason) {
    MarkListener listener{[](int) { return QString(); }};
    QTcpServer tcpHolder;
    ASSERT_TRUE(tcpHolder.listen(QHostAddress::LocalHost, 0));
    EXPECT_FALSE(listener.Listen(QStringLiteral("127.0.0.1"), tcpHolder.serverPort()));
    EXPECT_FALSE(listener.IsListening());
    EXPECT_EQ(listener.StatusText(), QStringLiteral("cannot listen on 127.0.0.1:%1: The bound address is already in use")
                                         .arg(tcpHolder.serverPort()));

    QUdpSocket udpHolder;  // TCP free, UDP taken
    ASSERT_TRUE(udpHolder.bind(QHostAddress::LocalHost, FreeLoopbackPort()));
    EXPECT_FALSE(listener.Listen(QStringLiteral("127.0.0.1"), udpHolder.localPort()));
    EXPECT_TRUE(listener.StatusText().startsWith(QStringLiteral("cannot listen on 127.0.0.1:%1: ").arg(udpHolder.localPort())))
        << listener.StatusText().toStdString();
    MarkClient client;
    EXPECT_FALSE(client.Connect(udpHolder.localPort()));  // the TCP half is not left listening

    EXPECT_FALSE(listener.Listen(QStringLiteral("localhost"), 7580));
    EXPECT_EQ(listener.StatusText(), "cannot listen on localhost:7580: \"localhost\" is not an IP address");

    EXPECT_TRUE(listener.Listen(QStringLiteral("127.0.0.1"), FreeLoopbackPort()));
    EXPECT_TRUE(listener.StatusText().startsWith("listening on 127.0.0.1:"));
}

}  // namespace
