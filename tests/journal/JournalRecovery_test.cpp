#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "data/CsvTestRecords.h"
#include "data/CsvWriter.h"
#include "data/SampleStore.h"
#include "journal/JournalRecovery.h"
#include "journal/JournalTestRecords.h"
#include "journal/JournalWriter.h"

namespace {

using Outcome = RecoveredJournal::Outcome;

class JournalRecoveryTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    SampleStore record;
    SampleStore work;

    void SetUp() override {
        BuildLongRecord(record, 2500);  // marks at 1200 and 2400
    }
    QString InFolder(const QString& name) const { return folder.filePath(name); }
    QStringList Files() const { return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
    // A journal left by a program that ended without saving.
    QString LeaveJournal() {
        JournalWriter writer(folder.path());
        EXPECT_TRUE(writer.Follow(record, HeaderOf(record)));
        return writer.Path();
    }
    QByteArray SavedForm() {
        const QString path = InFolder(QStringLiteral("saved-by-the-program.csv"));
        EXPECT_EQ(WriteRecordFile(record, path).result, CsvWriteResult::Written);
        const QByteArray bytes = FileBytes(path);
        QFile::remove(path);
        return bytes;
    }
};

TEST_F(JournalRecoveryTest, GivesTheRecordBackAsASaveWritesItAndDeletesTheJournal) {
    const QString journal = LeaveJournal();
    const QList<RecoveredJournal> results = RecoverJournals(folder.path(), work);
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0].outcome, Outcome::Recovered);
    EXPECT_EQ(results[0].recordPath, InFolder(QStringLiteral("Recovered Tq580-000001-001 2026-12-09 08-00-00.csv")));
    EXPECT_EQ(FileBytes(results[0].recordPath), SavedForm());
    EXPECT_FALSE(QFileInfo::exists(journal));
}

TEST_F(JournalRecoveryTest, NeverReplacesAnExistingFile) {
    const QString taken = InFolder(QStringLiteral("Recovered Tq580-000001-001 2026-12-09 08-00-00.csv"));
    ASSERT_TRUE(WriteFileBytes(taken, "the user's own file"));
    record.RecordDeviceId = QStringLiteral("Tq580-000001-001");
    LeaveJournal();
    const QList<RecoveredJournal> results = RecoverJournals(folder.path(), work);
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0].recordPath,
              InFolder(QStringLiteral("Recovered Tq580-000001-001 2026-12-09 08-00-00 (2).csv")));
    EXPECT_EQ(FileBytes(taken), QByteArray("the user's own file"));
}

// A name held by a link, dangling or not, is taken like any other entry:
// the record stays in the folder, and a link into a missing folder does not
// keep the journal from ever being recovered.
TEST_F(JournalRecoveryTest, ALinkInTheFolderTakesItsNameAndTheRecordStaysInside) {
    const QString name = QStringLiteral("Recovered Tq580-000001-001 2026-12-09 08-00-00");
    QTemporaryDir elsewhere;
    struct Link {
        QString path;
        QString target;
    };
    const Link links[] = {{InFolder(name + QStringLiteral(".csv")), elsewhere.filePath(QStringLiteral("outside.csv"))},
                          {InFolder(name + QStringLiteral(" (2).csv")), elsewhere.filePath(QStringLiteral("gone/x.csv"))},
                          {InFolder(name + QStringLiteral(" (3).csv")), InFolder(name + QStringLiteral(" (3).csv"))}};
    for (const Link& link : links) ASSERT_TRUE(QFile::link(link.target, link.path)) << link.path.toStdString();
    const QString journal = LeaveJournal();

    const QList<RecoveredJournal> results = RecoverJournals(folder.path(), work);
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0].outcome, Outcome::Recovered) << results[0].reason.toStdString();
    EXPECT_EQ(results[0].recordPath.toStdString(), InFolder(name + QStringLiteral(" (4).csv")).toStdString());
    EXPECT_EQ(FileBytes(results[0].recordPath), SavedForm());
    EXPECT_FALSE(QFileInfo::exists(journal));
    EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());
    for (const Link& link : links) EXPECT_TRUE(QFileInfo(link.path).isSymLink()) << link.path.toStdString();
}

// Moving a journal aside does not replace a link of the name it would take.
TEST_F(JournalRecoveryTest, AJournalMovedAsideLeavesALinkOfThatNameAlone) {
    const QString journal = InFolder(QStringLiteral(".tq580-a.journal"));
    ASSERT_TRUE(WriteFileBytes(journal, QByteArray(300, 'x')));
    ASSERT_TRUE(QFile::link(InFolder(QStringLiteral("missing")), journal + QStringLiteral(".unreadable")));
    const QList<RecoveredJournal> results = RecoverJournals(folder.path(), work);
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0].asidePath.toStdString(), (journal + QStringLiteral(" (2).unreadable")).toStdString());
    EXPECT_TRUE(QFileInfo(journal + QStringLiteral(".unreadable")).isSymLink());
}

TEST_F(JournalRecoveryTest, ADeviceNameCannotLeaveTheFolder) {
    record.RecordDeviceId = QStringLiteral("../x:y");
    EXPECT_EQ(RecoveredRecordPath(folder.path(), record.RecordDeviceId, record.RecordStartTime),
              InFolder(QStringLiteral("Recovered .._x_y 2026-12-09 08-00-00.csv")));
}

TEST_F(JournalRecoveryTest, LeavesAJournalARunningProgramHolds) {
    JournalWriter running(folder.path());
    ASSERT_TRUE(running.Follow(record, HeaderOf(record)));
    EXPECT_TRUE(RecoverJournals(folder.path(), work).isEmpty());
    EXPECT_TRUE(QFileInfo::exists(running.Path()));
}

TEST_F(JournalRecoveryTest, KeepsTheJournalWhenTheRecordCannotBeWritten) {
    const QString journal = LeaveJournal();
    QList<RecoveredJournal> results;
    {
        FileSizeLimit limit(4096);
        ASSERT_TRUE(limit.active());
        results = RecoverJournals(folder.path(), work);
    }
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0].outcome, Outcome::NotWritten);
    EXPECT_TRUE(QFileInfo::exists(journal));
    EXPECT_FALSE(results[0].reason.isEmpty());
    // The next start recovers it.
    results = RecoverJournals(folder.path(), work);
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0].outcome, Outcome::Recovered);
}

TEST_F(JournalRecoveryTest, DamageInTheMiddleGivesThePartBeforeAndKeepsTheJournal) {
    const QString journal = LeaveJournal();
    QByteArray bytes = FileBytes(journal);
    bytes[(2 + 1000) * JournalEntrySize + 20] ^= 1;  // sample 1000
    ASSERT_TRUE(WriteFileBytes(journal, bytes));
    const QList<RecoveredJournal> results = RecoverJournals(folder.path(), work);
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0].outcome, Outcome::RecoveredPart);
    EXPECT_EQ(results[0].samples, 1000);
    EXPECT_EQ(results[0].asidePath, journal + QStringLiteral(".damaged"));
    EXPECT_EQ(FileBytes(results[0].asidePath), bytes);
    EXPECT_FALSE(QFileInfo::exists(journal));
}

struct Leftover {
    const char* name;
    const char* fileName;
    QByteArray bytes;
    Outcome outcome;
    const char* remains;  // the file left in the folder besides a recovered record, if any
};

void PrintTo(const Leftover& row, std::ostream* out) { *out << row.name; }

class LeftoverFile : public ::testing::TestWithParam<Leftover> {};

TEST_P(LeftoverFile, GetsItsOutcome) {
    QTemporaryDir folder;
    ASSERT_TRUE(WriteFileBytes(folder.filePath(QString::fromLatin1(GetParam().fileName)), GetParam().bytes));
    SampleStore work;
    const QList<RecoveredJournal> results = RecoverJournals(folder.path(), work);
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0].outcome, GetParam().outcome);
    QStringList expected;
    if (*GetParam().remains) expected << QString::fromLatin1(GetParam().remains);
    if (!results[0].recordPath.isEmpty()) expected << QFileInfo(results[0].recordPath).fileName();
    expected.sort();
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
}

QByteArray JournalBytes(int samples) {
    SampleStore store;
    BuildLongRecord(store, samples);
    QByteArray bytes;
    AppendEntry(bytes, EncodeFileEntry());
    AppendEntry(bytes, EncodeHeaderEntry(HeaderOf(store)));
    for (int32_t i = 0; i < store.SampleCount; ++i) AppendEntry(bytes, EncodeSampleEntry(i, store.Samples[i]));
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    JournalRecovery, LeftoverFile,
    ::testing::Values(
        Leftover{"Empty", ".tq580-a.journal", QByteArray(), Outcome::NothingToRecover, ""},
        Leftover{"HeaderOnly", ".tq580-a.journal", JournalBytes(0), Outcome::NothingToRecover, ""},
        Leftover{"Foreign", ".tq580-a.journal", QByteArray(300, 'x'), Outcome::Unreadable,
                 ".tq580-a.journal.unreadable"},
        Leftover{"TornTail", ".tq580-a.journal", JournalBytes(20).chopped(50), Outcome::Recovered, ""},
        // A first write stopped before its rename: nothing else holds that record.
        Leftover{"FirstWriteNotRenamed", ".tq580-a.journal.new", JournalBytes(20), Outcome::Recovered, ""}),
    [](const ::testing::TestParamInfo<Leftover>& info) { return std::string(info.param.name); });

TEST_F(JournalRecoveryTest, AnUnfinishedRewriteGivesWayToTheJournalItWasToReplace) {
    const QString journal = LeaveJournal();
    ASSERT_TRUE(WriteFileBytes(journal + QStringLiteral(".new"), JournalBytes(30).chopped(10)));
    const QList<RecoveredJournal> results = RecoverJournals(folder.path(), work);
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0].samples, 2500);
    EXPECT_EQ(Files(), QStringList{QFileInfo(results[0].recordPath).fileName()});
}

}  // namespace
