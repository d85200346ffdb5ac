// A message the program shows while it measures is shown and left to the
// user; the acquisition goes on while it is open: ticks, the journal,
// marks, network answers.
#include <QDir>
#include <QFile>

#include "journal/JournalReader.h"
#include "network/MarkListener.h"
#include "session/SimulatedSession.h"
#include "session/StringTable.h"
#include "support/LoopbackClients.h"

namespace {

const QString Sensor1 = QStringLiteral("Tq580-123456-001");

int32_t JournalledSamples(const QString& path) {
    SampleStore record;
    JournalReadResult result;
    QString error;
    return ReadJournalFile(path, record, result, &error) ? record.SampleCount : -1;
}

using OpenMessages = SimulatedSessionTest;

// The event log file is a folder: the first mark's line fails, and the
// message about it stays open for 16 s of measuring.
TEST_F(OpenMessages, TheAcquisitionGoesOnWhileAnErrorIsOpen) {
    AcquisitionSession& s = Start();
    ASSERT_TRUE(QDir().mkpath(EventLogPath()));
    MarkListener listener([&s](int event) { return s.TakeOutsideMark(event); });
    ASSERT_TRUE(listener.Listen(QStringLiteral("127.0.0.1"), 0));
    MarkClient client;
    ASSERT_TRUE(client.Connect(listener.Port()));
    StartMeasurementOn(Sensor1);
    Advance(2000);

    s.MarkEvent(2);
    ASSERT_TRUE(AdvanceUntil([&] { return !prompts.shown.filter("ERROR:").isEmpty(); }, 1000));
    // The user reads it for 16 s.
    const int32_t samplesWhenShown = s.Store.SampleCount;
    s.SettleDiskWrites();
    const int32_t journalledWhenShown = JournalledSamples(s.JournalPath());
    Advance(8000);
    const int32_t keySample = s.Store.SampleCount - 1;
    s.MarkEvent(5);
    Advance(500);
    const QByteArray networkAnswer = client.Ask("S7\n");
    Advance(7500);

    const QStringList errors = prompts.shown.filter("ERROR:");
    ASSERT_EQ(errors.size(), 1) << prompts.shown.join('|').toStdString();
    EXPECT_TRUE(errors[0].startsWith("ERROR: " + MsgEventLogNotWritten.section('\n', 0, 0)));
    // Measured on at ten samples a second while the box was open.
    EXPECT_GE(s.Store.SampleCount, samplesWhenShown + 150);
    EXPECT_EQ(s.Mode(), SessionMode::Measuring);
    // The journal followed: it holds all but the last tick's samples.
    s.SettleDiskWrites();
    EXPECT_GE(journalledWhenShown, 0);
    EXPECT_GE(JournalledSamples(s.JournalPath()), s.Store.SampleCount - 6);
    // The key's mark was taken by the next tick, half a second at most.
    ASSERT_EQ(EventMarkCount(s.Store), 3);
    EXPECT_EQ(s.Store.EventMarks[1].code, 5);
    EXPECT_GE(s.Store.EventMarks[1].sample, keySample);
    EXPECT_LE(s.Store.EventMarks[1].sample, keySample + 6);
    // The network line was answered with the box open, and taken.
    EXPECT_EQ(networkAnswer, "OK");
    EXPECT_EQ(s.Store.EventMarks[2].code, 7);
    // None of the three is in the file yet, and none is lost.
    EXPECT_EQ(s.UnwrittenEventLogMarks(), 3);
}

}  // namespace
