#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>

#include "network/MarkListener.h"
#include "session/SimulatedSession.h"
#include "support/LoopbackClients.h"

namespace {

const QString Sensor1 = QStringLiteral("Tq580-123456-001");

// The session on simulated sensors with a mark listener on a free loopback
// port wired to it, as the window wires them.
class NetworkMarks : public SimulatedSessionTest {
protected:
    std::unique_ptr<MarkListener> listener;
    quint16 port = 0;

    AcquisitionSession& StartListening() {
        AcquisitionSession& s = Start();
        listener = std::make_unique<MarkListener>([&s](int event) { return s.TakeOutsideMark(event); });
        EXPECT_TRUE(listener->Listen(QStringLiteral("127.0.0.1"), 0)) << listener->StatusText().toStdString();
        port = listener->Port();
        return s;
    }

    void TearDown() override {
        listener.reset();
        SimulatedSessionTest::TearDown();
    }

    // The events of the event log file, in order.
    QList<int> LoggedEvents() const {
        QFile log(EventLogPath());
        if (!log.open(QIODevice::ReadOnly)) return {};
        const QByteArray bytes = log.readAll();
        QList<int> events;
        for (qsizetype at = 8; at + 4 <= bytes.size(); at += 16) {
            int32_t event = 0;
            memcpy(&event, bytes.constData() + at, 4);
            events << event;
        }
        return events;
    }

    QList<int> RecordMarks() const {
        QList<int> codes;
        for (int i = 0; i < EventMarkCount(session->Store); ++i) codes << session->Store.EventMarks[i].code;
        return codes;
    }
};

// Marks over TCP and UDP are taken at once on the newest sample, between
// the keys' marks, which the tick takes; all reach the event log file and
// the saved record.
TEST_F(NetworkMarks, TcpAndUdpMarksLandLikeKeysInRecordLogAndFile) {
    AcquisitionSession& s = StartListening();
    MarkClient client;
    ASSERT_TRUE(client.Connect(port));
    EXPECT_EQ(client.Ask("S3\n"), "ERR not measuring");

    StartMeasurementOn(Sensor1);
    Advance(1000);
    ASSERT_GT(s.Store.SampleCount, 0);
    s.MarkEvent(5);  // a key, waiting for the tick
    EXPECT_EQ(client.Ask("S3\n"), "OK");
    EXPECT_EQ(s.Store.EventMarks[0].sample, s.Store.SampleCount - 1);
    Advance(500);
    EXPECT_EQ(RecordMarks(), QList<int>({3, 5}));

    Advance(700);
    SendDatagram(port, "E5\n");
    ASSERT_TRUE(RunEventsUntil([&] { return EventMarkCount(s.Store) == 3; }));
    EXPECT_EQ(s.Store.EventMarks[2].sample, s.Store.SampleCount - 1);
    s.MarkEvent(-5);
    EXPECT_EQ(client.Ask("E3\n"), "OK");  // S3 and E3 back to back: both count
    Advance(500);
    const QList<int> expected{3, 5, -5, -3, -5};
    EXPECT_EQ(RecordMarks(), expected);
    EXPECT_EQ(LoggedEvents(), expected);

    const QString path = QDir(DataFolder()).filePath("marked.csv");
    prompts.fileNames.push_back(path);
    s.ConnectButtonClicked();  // ends the measurement and saves
    s.SettleDiskWrites();
    ASSERT_TRUE(s.Store.DataSaved);
    EXPECT_EQ(client.Ask("E3\n"), "ERR not measuring");

    const QList<EVENT_MARK_TYPE> saved(s.Store.EventMarks, s.Store.EventMarks + 5);
    prompts.fileNames.push_back(path);
    s.OpenClicked();
    EXPECT_EQ(RecordMarks(), expected);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(s.Store.EventMarks[i].sample, saved[i].sample) << i;
}

// Connected, but no sample yet: a key's mark is dropped, and so is this.
TEST_F(NetworkMarks, NoMarkBeforeTheFirstSample) {
    AcquisitionSession& s = StartListening();
    s.SetActivityForTest(SessionMode::Measuring);
    s.Link.DeviceLinkReady = true;
    MarkClient client;
    ASSERT_TRUE(client.Connect(port));
    EXPECT_EQ(client.Ask("S1\n"), "ERR no sample yet");
    EXPECT_EQ(EventMarkCount(s.Store), 0);
    EXPECT_TRUE(LoggedEvents().isEmpty());
}

TEST_F(NetworkMarks, TheStorageEventLogTakesThemIntoItsPanelAndFile) {
    AcquisitionSession& s = StartListening();
    s.PageChanged(1);
    s.StartButtonClicked();
    ASSERT_EQ(s.StartButtonTag(), 1);
    MarkClient client;
    ASSERT_TRUE(client.Connect(port));
    EXPECT_EQ(client.Ask("S2\n"), "OK");
    EXPECT_TRUE(view.LastLogLine().endsWith("  Event2Started")) << view.LastLogLine().toStdString();
    SendDatagram(port, "E2\n");
    ASSERT_TRUE(RunEventsUntil([&] { return view.LastLogLine().endsWith("  Event2Ended"); }));
    EXPECT_EQ(LoggedEvents(), QList<int>({2, -2}));
    EXPECT_EQ(EventMarkCount(s.Store), 0);

    s.StartButtonClicked();
    EXPECT_EQ(client.Ask("S2\n"), "ERR not measuring");
}

// The Python client the manual prints, run as it stands against a running
// measurement: it marks the start and end of event 3.
TEST_F(NetworkMarks, TheManualsPythonClientMarksAnEvent) {
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty()) GTEST_SKIP() << "python3 is not installed";
    QFile manual(QDir(qEnvironmentVariable("TQ580_FIXTURES")).filePath(QStringLiteral("../../docs/Tq580_win_en.md")));
    ASSERT_TRUE(manual.open(QIODevice::ReadOnly | QIODevice::Text));
    QStringList client;
    QTextStream lines(&manual);
    while (!lines.atEnd()) {
        const QString line = lines.readLine();
        if (client.isEmpty() && line != QStringLiteral("    import socket, sys, time")) continue;
        if (!line.startsWith(QStringLiteral("    "))) break;
        client << line.mid(4);
    }
    ASSERT_EQ(client.size(), 10) << client.join('\n').toStdString();

    StartListening();
    StartMeasurementOn(Sensor1);
    Advance(1000);
    QProcess process;
    process.start(python, {QStringLiteral("-c"), client.join('\n'), QString::number(port)});
    ASSERT_TRUE(RunEventsUntil([&] { return process.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_EQ(process.readAllStandardOutput(), "OK\nOK\n");
    EXPECT_EQ(RecordMarks(), QList<int>({3, -3}));
    EXPECT_EQ(LoggedEvents(), QList<int>({3, -3}));
}

}  // namespace
