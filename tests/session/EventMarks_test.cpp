#include <QFile>

#include "data/Sample.h"
#include "session/SimulatedSession.h"
#include "session/StringTable.h"
#include "storage/EventMerge.h"
#include "support/PseudoTerminalPair.h"

namespace {

const QString Sensor1 = QStringLiteral("Tq580-123456-001");

using EventMarks = SimulatedSessionTest;

TEST_F(EventMarks, MarksLandOnTheNewestSampleAndInTheEventLog) {
    AcquisitionSession& s = Start();
    s.MarkEvent(4);  // before the first sample: dropped
    StartMeasurementOn(Sensor1);
    EXPECT_EQ(EventMarkCount(s.Store), 0);
    EXPECT_EQ(s.PendingEvent, 0);

    Advance(2000);
    s.MarkEvent(3);
    const int repaints = view.repaints;
    Advance(500);
    ASSERT_EQ(EventMarkCount(s.Store), 1);
    EXPECT_EQ(s.Store.EventMarks[0].code, 3);
    const int markedAt = s.Store.EventMarks[0].sample;
    EXPECT_GE(markedAt, s.Store.SampleCount - 6);
    EXPECT_LT(markedAt, s.Store.SampleCount);
    EXPECT_GT(view.repaints, repaints);

    s.MarkEvent(-3);
    Advance(500);
    ASSERT_EQ(EventMarkCount(s.Store), 2);
    EXPECT_EQ(s.Store.EventMarks[1].code, -3);

    QFile log(EventLogPath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray bytes = log.readAll();
    ASSERT_EQ(bytes.size(), 32);
    EXPECT_EQ(bytes.mid(8, 4).toHex(), QByteArray("03000000"));
    EXPECT_EQ(bytes.mid(24, 4).toHex(), QByteArray("fdffffff"));
}

// Only the newest mark of one tick is taken.
TEST_F(EventMarks, ANewMarkReplacesOneNotYetTaken) {
    AcquisitionSession& s = Start();
    StartMeasurementOn(Sensor1);
    Advance(1000);
    s.MarkEvent(4);
    s.MarkEvent(-7);
    Advance(500);
    ASSERT_EQ(EventMarkCount(s.Store), 1);
    EXPECT_EQ(s.Store.EventMarks[0].code, -7);
}

// An event log file that cannot be written holds back no mark: each goes
// into the record at once, the user hears of the file once, and the file
// gets every mark, in order, when it can be written again.
TEST_F(EventMarks, EventLogFailureKeepsEveryMarkInTheRecordAndTellsOnce) {
    AcquisitionSession& s = Start();
    StartMeasurementOn(Sensor1);
    Advance(1000);
    s.EventLogFileName = folder.filePath("missing/tq580.evl");
    s.MarkEvent(2);
    Advance(500);
    s.MarkEvent(-2);
    Advance(1000);
    const QStringList errors = prompts.shown.filter("ERROR:");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith("ERROR: " + MsgEventLogNotWritten.section('\n', 0, 0))) << errors[0].toStdString();
    EXPECT_EQ(s.PendingEvent, 0);
    ASSERT_EQ(EventMarkCount(s.Store), 2);
    EXPECT_EQ(s.Store.EventMarks[0].code, 2);
    EXPECT_EQ(s.Store.EventMarks[1].code, -2);
    EXPECT_FALSE(QFile::exists(EventLogPath()));

    s.EventLogFileName = EventLogPath();
    Advance(500);
    QList<EventLogRecord> records;
    ASSERT_TRUE(ReadEventLog(EventLogPath(), records, nullptr));
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].event, 2);
    EXPECT_EQ(records[1].event, -2);
    EXPECT_EQ(EventMarkCount(s.Store), 2);
    EXPECT_EQ(prompts.shown.filter("ERROR:").size(), 1);
}

TEST_F(EventMarks, MarksFromTheSerialEventBoxLandInTheRecordAndTheEventLog) {
    PseudoTerminalPair pair;
    if (!pair.failure.isEmpty()) GTEST_SKIP() << pair.failure.toStdString();
    AcquisitionSession& s = Start();
    view.choices.realTimeAuxin = true;
    view.choices.realTimePort = pair.nearPath;
    StartMeasurementOn(Sensor1);
    ASSERT_EQ(s.ConnectButtonTag(), 1) << prompts.shown.join('|').toStdString();
    ASSERT_TRUE(s.WUni232c1.Connect());
    Advance(1000);

    ASSERT_TRUE(pair.WriteFar(QByteArray("\x02S7\x03", 4)));
    ASSERT_TRUE(pair.WaitNearQueued(4, 2000));
    Advance(500);
    ASSERT_TRUE(pair.WriteFar(QByteArray("\x02" "E", 2)));  // a frame split over two ticks
    ASSERT_TRUE(pair.WaitNearQueued(2, 2000));
    Advance(500);
    ASSERT_TRUE(pair.WriteFar(QByteArray("7\x03", 2)));
    ASSERT_TRUE(pair.WaitNearQueued(2, 2000));
    Advance(500);

    ASSERT_EQ(EventMarkCount(s.Store), 2);
    EXPECT_EQ(s.Store.EventMarks[0].code, 7);
    EXPECT_EQ(s.Store.EventMarks[1].code, -7);
    EXPECT_GE(s.Store.EventMarks[1].sample, s.Store.SampleCount - 6);
    QFile log(EventLogPath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.size(), 32);

    prompts.fileNames.push_back(QString());
    s.ConnectButtonClicked();
    prompts.answers.push_back(true);  // leave without saving
    EXPECT_TRUE(s.MayClose());
    s.Closing();
    EXPECT_FALSE(s.WUni232c1.Connect());
}

}  // namespace
