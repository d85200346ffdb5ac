// Marks that the event log file does not take are kept on disk until it
// does: through closing the program and through a crash.
#include <QDir>
#include <QFile>

#include "session/StorageSensors.h"
#include "session/StringTable.h"
#include "storage/EventLog.h"
#include "storage/EventMerge.h"

namespace {

class PendingMarks : public StorageSessionTest {
protected:
    QStringList PendingMarksFiles() const {
        return QDir(DataFolder()).entryList({QStringLiteral(".tq580-*.marks")}, QDir::Files | QDir::Hidden);
    }
    QList<int> LoggedEvents() const {
        QList<EventLogRecord> records;
        if (!ReadEventLog(EventLogPath(), records, nullptr)) return {};
        QList<int> events;
        for (const EventLogRecord& record : records) events << record.event;
        return events;
    }
    // The program ends without a word and starts again.
    AcquisitionSession& Restart() {
        session->SetView(nullptr);
        session.reset();
        prompts.shown.clear();
        AcquisitionSession& next = Start();
        next.RecoverRecords();
        return next;
    }
};

TEST_F(PendingMarks, StorageMarksOutliveTheProgramUntilTheEventLogFileTakesThem) {
    AcquisitionSession& s = StartOnStoragePage();
    ASSERT_TRUE(AppendEventLog(EventLogPath(), 46000.0, 9));  // an earlier run's mark
    prompts.answers.push_back(true);  // the waiting sensor's log may go
    s.StartButtonClicked();
    ASSERT_EQ(s.Mode(), SessionMode::EventLog);
    QFile::rename(EventLogPath(), EventLogPath() + ".moved");
    ASSERT_TRUE(QDir().mkpath(EventLogPath()));  // cannot be written now
    s.MarkEvent(1);
    Advance(500);
    s.MarkEvent(-1);
    Advance(500);
    EXPECT_EQ(prompts.shown.filter("ERROR: " + MsgEventLogNotWritten.section('\n', 0, 0)).size(), 1);
    EXPECT_EQ(s.UnwrittenEventLogMarks(), 2);
    EXPECT_EQ(PendingMarksFiles().size(), 1);

    // Closing asks first, naming how many; No keeps the program.
    prompts.answers = {true, false};  // exit during the event log: yes; the marks: no
    EXPECT_FALSE(s.MayClose());
    EXPECT_EQ(prompts.shown.last(), "ASK: " + MsgExitWithPendingMarks.arg(2));
    s.MarkEvent(2);
    Advance(500);
    EXPECT_EQ(s.UnwrittenEventLogMarks(), 3);

    // A start while the file still cannot be written keeps them and says so.
    AcquisitionSession& second = Restart();
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_TRUE(prompts.shown[0].startsWith("ERROR: " + MsgPendingMarksLeft.section(" (", 0, 0)))
        << prompts.shown[0].toStdString();
    EXPECT_EQ(PendingMarksFiles().size(), 1);
    (void)second;

    // Once it can be, the next start writes them behind what it held, in order.
    QDir(EventLogPath()).removeRecursively();
    QFile::rename(EventLogPath() + ".moved", EventLogPath());
    Restart();
    EXPECT_EQ(prompts.shown, QStringList{"NOTICE: " + MsgPendingMarksWritten.arg(3)});
    EXPECT_EQ(LoggedEvents(), QList<int>({9, 1, -1, 2}));
    EXPECT_TRUE(PendingMarksFiles().isEmpty());
    Restart();
    EXPECT_TRUE(prompts.shown.isEmpty());
    EXPECT_EQ(LoggedEvents(), QList<int>({9, 1, -1, 2}));
}

// The event log file takes them back while the program runs: nothing is
// left to ask about or to recover.
TEST_F(PendingMarks, AFileThatRecoversTakesThemAndTheirPendingFileGoes) {
    AcquisitionSession& s = StartOnStoragePage();
    prompts.answers.push_back(true);  // the waiting sensor's log may go
    s.StartButtonClicked();
    ASSERT_TRUE(QDir().mkpath(EventLogPath()));
    s.MarkEvent(4);
    Advance(500);
    ASSERT_EQ(PendingMarksFiles().size(), 1);
    QDir(EventLogPath()).removeRecursively();
    Advance(500);
    EXPECT_EQ(s.UnwrittenEventLogMarks(), 0);
    EXPECT_TRUE(PendingMarksFiles().isEmpty());
    EXPECT_EQ(LoggedEvents(), QList<int>({4}));
    s.MarkEvent(-4);
    Advance(500);
    EXPECT_EQ(LoggedEvents(), QList<int>({4, -4}));
    prompts.shown.clear();
    prompts.answers = {true};  // exit during the event log
    EXPECT_TRUE(s.MayClose());
    EXPECT_EQ(prompts.shown.filter("ASK:").size(), 1);
}

}  // namespace
