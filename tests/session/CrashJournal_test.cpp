#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "data/CsvTestRecords.h"
#include "data/CsvWriter.h"
#include "journal/JournalReader.h"
#include "journal/JournalRecovery.h"
#include "session/SimulatedSession.h"
#include "session/StorageSensors.h"
#include "session/StringTable.h"
#include "storage/EventLog.h"

namespace {

const QString Sensor1 = QStringLiteral("Tq580-123456-001");

// Whether the file is on disk once the session's writer thread has done
// what it was handed.
bool OnDisk(AcquisitionSession& session, const QString& path) {
    session.SettleDiskWrites();
    return QFileInfo::exists(path);
}

// What a journal holds, read as the next start would.
struct JournalContent {
    SampleStore record;
    JournalReadResult result;
    bool read = false;
    explicit JournalContent(const QString& path) {
        QString error;
        read = ReadJournalFile(path, record, result, &error);
    }
};

class CrashJournal : public SimulatedSessionTest {
protected:
    QStringList HiddenFiles() const {
        return QDir(DataFolder()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name)
            .filter(QRegularExpression(QStringLiteral("^\\.")));
    }
    // The record's samples up to count match the session's, field by field.
    void ExpectSamplesOfSession(const SampleStore& journalled, int32_t count) {
        for (int32_t i = 0; i < count; ++i) {
            ASSERT_EQ(journalled.Samples[i].index, session->Store.Samples[i].index) << i;
            ASSERT_EQ(journalled.Samples[i].time, session->Store.Samples[i].time) << i;
            ASSERT_EQ(journalled.Samples[i].ch[1].oxhb, session->Store.Samples[i].ch[1].oxhb) << i;
        }
    }
    int ErrorsStartingWith(const QString& start) const {
        int count = 0;
        for (const QString& line : prompts.shown) count += line.startsWith("ERROR: " + start) ? 1 : 0;
        return count;
    }
};

TEST_F(CrashJournal, AMeasurementIsJournalledUntilItIsSaved) {
    AcquisitionSession& s = Start();
    StartMeasurementOn(Sensor1);
    Advance(3000);
    s.MarkEvent(2);
    Advance(1000);
    const QString journal = s.JournalPath();
    ASSERT_TRUE(OnDisk(s, journal));
    {
        const JournalContent content(journal);
        ASSERT_TRUE(content.read);
        EXPECT_EQ(content.result.status, JournalReadStatus::Complete);
        EXPECT_EQ(content.result.header.deviceId, Sensor1);
        // Written on the last tick, at most 500 ms ago.
        EXPECT_GT(content.record.SampleCount, 0);
        EXPECT_GE(content.record.SampleCount, s.Store.SampleCount - 5);
        ExpectSamplesOfSession(content.record, content.record.SampleCount);
        EXPECT_EQ(content.record.EventMarks[0].code, 2);
        EXPECT_EQ(content.record.EventMarks[0].sample, s.Store.EventMarks[0].sample);
    }
    const QString saved = QDir(DataFolder()).filePath("measured.csv");
    prompts.fileNames.push_back(saved);
    s.ConnectButtonClicked();  // End, and the save
    s.SettleDiskWrites();
    EXPECT_TRUE(QFileInfo::exists(saved));
    EXPECT_FALSE(OnDisk(s, journal));
    Advance(2000);
    EXPECT_TRUE(HiddenFiles().isEmpty()) << HiddenFiles().join(' ').toStdString();
}

TEST_F(CrashJournal, AnUnsavedRecordKeepsItsJournalUntilItIsDiscarded) {
    AcquisitionSession& s = Start();
    StartMeasurementOn(Sensor1);
    Advance(2000);
    prompts.fileNames.push_back(QString());  // the save at the end is cancelled
    s.ConnectButtonClicked();
    Advance(1000);
    const QString journal = s.JournalPath();
    ASSERT_TRUE(OnDisk(s, journal));
    EXPECT_EQ(JournalContent(journal).record.SampleCount, s.Store.SampleCount);

    prompts.answers.push_back(false);  // "exit without saving?" No
    EXPECT_FALSE(s.MayClose());
    EXPECT_TRUE(OnDisk(s, journal));
    prompts.answers.push_back(true);
    ASSERT_TRUE(s.MayClose());
    s.Closing();
    EXPECT_FALSE(OnDisk(s, journal));
}

TEST_F(CrashJournal, ANewMeasurementAfterTheQuestionReplacesTheOldJournal) {
    AcquisitionSession& s = Start();
    StartMeasurementOn(Sensor1);
    Advance(2000);
    prompts.fileNames.push_back(QString());
    s.ConnectButtonClicked();
    const QString old = s.JournalPath();
    prompts.answers.push_back(true);  // discard unsaved data
    StartMeasurementOn(Sensor1);
    ASSERT_EQ(s.Mode(), SessionMode::Measuring);
    EXPECT_FALSE(OnDisk(s, old));
    EXPECT_EQ(HiddenFiles(), QStringList{QFileInfo(s.JournalPath()).fileName()});
}

TEST_F(CrashJournal, ASensorCheckIsNeverJournalled) {
    AcquisitionSession& s = Start();
    StartMeasurementOn(Sensor1, 0, true);
    Advance(3000);
    ASSERT_EQ(s.Mode(), SessionMode::SensorCheck);
    ASSERT_GT(s.Store.SampleCount, 0);
    EXPECT_TRUE(s.JournalPath().isEmpty());
    EXPECT_TRUE(HiddenFiles().isEmpty());
}

TEST_F(CrashJournal, AJournalThatCannotBeWrittenIsToldOnceAndTheMeasurementGoesOn) {
    AcquisitionSession& s = Start();
    StartMeasurementOn(Sensor1);
    Advance(2000);
    const QString journal = s.JournalPath();
    int32_t samplesBefore = 0;
    {
        FileSizeLimit limit(static_cast<rlim_t>(QFileInfo(journal).size() + 1000));
        ASSERT_TRUE(limit.active());
        Advance(5000);
        samplesBefore = s.Store.SampleCount;
        EXPECT_EQ(ErrorsStartingWith(QStringLiteral("The crash journal could not be written")), 1);
        EXPECT_EQ(s.Mode(), SessionMode::Measuring);
        Advance(2000);
        EXPECT_GT(s.Store.SampleCount, samplesBefore);
        EXPECT_EQ(ErrorsStartingWith(QStringLiteral("The crash journal could not be written")), 1);
    }
    // The disk takes it again: the journal catches up.
    Advance(600);
    const JournalContent content(journal);
    EXPECT_GE(content.record.SampleCount, s.Store.SampleCount - 5);
    ExpectSamplesOfSession(content.record, content.record.SampleCount);
    // The save at the end is as always.
    prompts.fileNames.push_back(QDir(DataFolder()).filePath("after-the-trouble.csv"));
    s.ConnectButtonClicked();
    s.SettleDiskWrites();
    EXPECT_TRUE(prompts.shown.contains("NOTICE: after-the-trouble.csv" + MsgCreatedSuffix));
    EXPECT_FALSE(OnDisk(s, journal));
}

TEST_F(CrashJournal, ARecordLeftInAJournalIsRecoveredOpenedAndToldOnce) {
    AcquisitionSession& first = Start();
    StartMeasurementOn(Sensor1);
    Advance(3000);
    first.MarkEvent(1);
    Advance(1000);
    first.SupervisionTick();  // the journal holds all the record now
    first.SettleDiskWrites();
    const QString journal = first.JournalPath();
    const QString expected = QDir(DataFolder()).filePath("as-saved.csv");
    ASSERT_EQ(WriteRecordFile(first.Store, expected).result, CsvWriteResult::Written);
    const int32_t samples = first.Store.SampleCount;
    const QString recovered = RecoveredRecordPath(DataFolder(), Sensor1, first.Store.RecordStartTime);
    EXPECT_TRUE(QFileInfo(recovered).fileName().startsWith("Recovered " + Sensor1 + " 2026-12-10 10-00-"));
    // The program ends without a word: nothing of the session's close runs.
    session->SetView(nullptr);
    session.reset();
    ASSERT_TRUE(QFileInfo::exists(journal));

    prompts.shown.clear();
    AcquisitionSession& next = Start();
    next.RecoverRecords();
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0], "NOTICE: " + MsgRecordRecovered.arg(QDir::toNativeSeparators(recovered)));
    EXPECT_EQ(FileBytes(recovered), FileBytes(expected));
    EXPECT_FALSE(QFileInfo::exists(journal));
    // Opened as the current record, which is in its file.
    EXPECT_EQ(next.Store.SampleCount, samples);
    EXPECT_TRUE(next.Store.DataSaved);
    EXPECT_EQ(next.SavedFileName, QFileInfo(recovered).fileName());
    EXPECT_TRUE(next.JournalPath().isEmpty());

    // Nothing is left for another start.
    prompts.shown.clear();
    next.RecoverRecords();
    EXPECT_TRUE(prompts.shown.isEmpty());
}

// A saved record changed afterwards exists nowhere else as it now is.
TEST_F(CrashJournal, ASavedRecordChangedByAMergeIsJournalledAgainUntilSaved) {
    AcquisitionSession& s = Start();
    StartMeasurementOn(Sensor1);
    Advance(3000);
    const QString saved = QDir(DataFolder()).filePath("first.csv");
    prompts.fileNames.push_back(saved);
    s.ConnectButtonClicked();
    s.SettleDiskWrites();
    ASSERT_TRUE(s.JournalPath().isEmpty());

    ASSERT_TRUE(AppendEventLog(EventLogPath(), s.Store.Samples[10].time, 4));
    prompts.answers.push_back(true);
    s.MergeClicked();
    ASSERT_EQ(EventMarkCount(s.Store), 1);
    s.SettleDiskWrites();
    const QString journal = s.JournalPath();
    ASSERT_TRUE(OnDisk(s, journal));
    {
        const JournalContent content(journal);
        EXPECT_EQ(content.result.header.kind, JournalKind::EditedRecord);
        EXPECT_EQ(content.record.SampleCount, s.Store.SampleCount);
        EXPECT_EQ(content.record.EventMarks[0].code, 4);
        EXPECT_EQ(content.record.EventMarks[0].sample, s.Store.EventMarks[0].sample);
    }
    prompts.fileNames.push_back(saved);
    prompts.answers.push_back(true);  // overwrite
    s.SaveClicked();
    s.SettleDiskWrites();
    EXPECT_FALSE(OnDisk(s, journal));
}

using UploadJournal = StorageSessionTest;

// Inserting a value-initialization point recalculates samples already
// journalled: the journal is written anew with them.
TEST_F(UploadJournal, AValueInitializationPointRewritesTheJournal) {
    AcquisitionSession& s = StartOnStoragePage(1500);
    prompts.fileNames.push_back(QString());  // the save after the upload is cancelled
    s.UploadButtonClicked(RowOf(Waiting));
    ASSERT_TRUE(AdvanceUntilUploadSays(MsgUploadCompleted));
    s.UploadOkButtonClicked();
    ASSERT_FALSE(s.Store.DataSaved);
    const QString journal = s.JournalPath();
    ASSERT_TRUE(OnDisk(s, journal));

    s.View.CursorChannel = 0;
    s.View.CursorIndex = 700;
    s.ValueInitializationClicked();
    ASSERT_TRUE(s.Store.Samples[700].ch[0].status & StatusInitPoint);
    s.SettleDiskWrites();
    const JournalContent content(journal);
    EXPECT_EQ(content.result.status, JournalReadStatus::Complete);
    ASSERT_EQ(content.record.SampleCount, s.Store.SampleCount);
    EXPECT_TRUE(content.record.Samples[700].ch[0].status & StatusInitPoint);
    for (int32_t i = 700; i < s.Store.SampleCount; i += 50)
        ASSERT_EQ(content.record.Samples[i].ch[1].oxhb, s.Store.Samples[i].ch[1].oxhb) << i;
}

TEST_F(UploadJournal, AnUploadIsJournalledUntilItIsSaved) {
    AcquisitionSession& s = StartOnStoragePage(3000);
    const QString path = QDir(DataFolder()).filePath("upload.csv");
    prompts.fileNames.push_back(path);
    s.UploadButtonClicked(RowOf(Waiting));
    ASSERT_TRUE(AdvanceUntil([&] { return s.Store.SampleCount > 1000; }, 600000));
    s.SupervisionTick();
    s.SettleDiskWrites();
    const QString journal = s.JournalPath();
    {
        const JournalContent content(journal);
        EXPECT_EQ(content.result.header.kind, JournalKind::Upload);
        EXPECT_EQ(content.record.SampleCount, s.Store.SampleCount);
        for (int32_t i = 0; i < content.record.SampleCount; i += 97)
            ASSERT_EQ(content.record.Samples[i].ch[0].sto2, s.Store.Samples[i].ch[0].sto2) << i;
    }
    ASSERT_TRUE(AdvanceUntilUploadSays(MsgUploadCompleted));
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_FALSE(OnDisk(s, journal));
}

}  // namespace
