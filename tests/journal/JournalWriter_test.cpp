#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "data/CsvTestRecords.h"
#include "data/SampleStore.h"
#include "journal/JournalChanges.h"
#include "journal/JournalReader.h"
#include "journal/JournalTestRecords.h"
#include "journal/JournalWriter.h"

namespace {

class JournalWriterTest : public ::testing::Test {
protected:
    QTemporaryDir temporary;
    QString folder = temporary.filePath(QStringLiteral("Data"));
    SampleStore source;  // the whole record; `record` takes it in steps
    SampleStore record;
    JournalWriter writer{folder};

    void SetUp() override {
        BuildLongRecord(source, 3000);
        ResetRecord(record);
        record.RecordDeviceId = source.RecordDeviceId;
        record.RecordRateIndex = source.RecordRateIndex;
        record.RecordStartTime = source.RecordStartTime;
    }
    void Grow(int32_t count) {
        for (int32_t i = 0; i < count && record.SampleCount < source.SampleCount; ++i)
            AppendSample(record, source.Samples[record.SampleCount]);
    }
    bool Follow() { return writer.Follow(record, HeaderOf(record)); }
    int64_t JournalSize() const { return QFileInfo(writer.Path()).size(); }
    void ExpectJournalHoldsRecord() {
        SampleStore rebuilt;
        JournalReadResult result;
        QString error;
        ASSERT_TRUE(ReadJournalFile(writer.Path(), rebuilt, result, &error)) << error.toStdString();
        EXPECT_EQ(result.status, JournalReadStatus::Complete);
        ASSERT_EQ(rebuilt.SampleCount, record.SampleCount);
        for (int32_t i = 0; i < record.SampleCount; ++i)
            ASSERT_TRUE(SameSample(rebuilt.Samples[i], record.Samples[i])) << i;
        for (int slot = 0; slot < MaxEventMarks; ++slot) {
            EXPECT_EQ(rebuilt.EventMarks[slot].sample, record.EventMarks[slot].sample) << slot;
            EXPECT_EQ(rebuilt.EventMarks[slot].code, record.EventMarks[slot].code) << slot;
        }
        EXPECT_EQ(rebuilt.RecordDeviceId, record.RecordDeviceId);
    }
};

TEST_F(JournalWriterTest, AppendsOnlyWhatChangedAndReadsBackTheRecord) {
    ASSERT_TRUE(Follow());
    EXPECT_TRUE(QFileInfo(writer.Path()).fileName().startsWith(QStringLiteral(".tq580-")));
    EXPECT_EQ(JournalSize(), 2 * JournalEntrySize);  // the file and the header

    Grow(100);
    ASSERT_TRUE(Follow());
    EXPECT_EQ(JournalSize(), 102 * JournalEntrySize);
    ASSERT_TRUE(Follow());
    EXPECT_EQ(JournalSize(), 102 * JournalEntrySize) << "nothing new, nothing written";

    AddEventMark(record, 50, 2);
    record.RecordDeviceId = QStringLiteral("Tq580-999999-009");  // the name the sensor reported
    Grow(10);
    ASSERT_TRUE(Follow());
    EXPECT_EQ(JournalSize(), 114 * JournalEntrySize);
    // A merge rewrites the mark table in place: each changed slot is journalled.
    record.EventMarks[0] = {10, 1};
    record.EventMarks[1] = {50, 2};
    ASSERT_TRUE(Follow());
    EXPECT_EQ(JournalSize(), 116 * JournalEntrySize);
    ExpectJournalHoldsRecord();
}

TEST_F(JournalWriterTest, ARewriteReplacesTheJournalWithTheChangedRecord) {
    Grow(500);
    ASSERT_TRUE(Follow());
    const QString path = writer.Path();
    record.Samples[100].ch[0].status |= StatusInitPoint;  // changed in place, as a value initialization does
    record.Samples[101].ch[1].oxhb = 0.5f;
    writer.Rewrite();
    ASSERT_TRUE(Follow());
    EXPECT_EQ(writer.Path(), path);
    EXPECT_EQ(JournalSize(), 502 * JournalEntrySize);
    EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral(".new")));
    ExpectJournalHoldsRecord();
}

TEST_F(JournalWriterTest, AFullDiskKeepsWhatIsOnDiskAndCatchesUpLater) {
    Grow(200);
    ASSERT_TRUE(Follow());
    const int64_t before = JournalSize();
    {
        FileSizeLimit limit(static_cast<rlim_t>(before + 300));
        ASSERT_TRUE(limit.active());
        Grow(100);
        QString error;
        EXPECT_FALSE(writer.Follow(record, HeaderOf(record), &error));
        EXPECT_FALSE(error.isEmpty());
        // The half-written entry is cut off: the file ends on the whole
        // entries that fitted.
        EXPECT_EQ(JournalSize(), before + 2 * JournalEntrySize);
        EXPECT_FALSE(Follow());
    }
    ASSERT_TRUE(Follow());
    ExpectJournalHoldsRecord();
}

// Space freed after a full disk takes as much of the backlog as fits, try
// by try, not all or nothing.
TEST_F(JournalWriterTest, TheBacklogGoesInAsFarAsTheDiskTakesIt) {
    Grow(200);
    ASSERT_TRUE(Follow());
    const int64_t before = JournalSize();
    {
        FileSizeLimit full(static_cast<rlim_t>(before));
        ASSERT_TRUE(full.active());
        Grow(2000);
        EXPECT_FALSE(Follow());
        EXPECT_EQ(JournalSize(), before);
    }
    constexpr int64_t Freed = 20 * 1024;
    for (int freeings = 1; freeings <= 2; ++freeings) {
        FileSizeLimit someSpace(static_cast<rlim_t>(before + freeings * Freed));
        EXPECT_FALSE(Follow());
        EXPECT_EQ(JournalSize(), before + freeings * Freed / JournalEntrySize * JournalEntrySize);
        SampleStore rebuilt;
        JournalReadResult result;
        QString error;
        ASSERT_TRUE(ReadJournalFile(writer.Path(), rebuilt, result, &error)) << error.toStdString();
        EXPECT_EQ(rebuilt.SampleCount, 200 + freeings * Freed / JournalEntrySize);
    }
    ASSERT_TRUE(Follow());
    ExpectJournalHoldsRecord();
}

TEST_F(JournalWriterTest, AFolderRemovedUnderneathIsMadeAgain) {
    Grow(100);
    ASSERT_TRUE(Follow());
    ASSERT_TRUE(QDir(folder).removeRecursively());
    Grow(100);
    ASSERT_TRUE(Follow());
    ASSERT_TRUE(QFileInfo::exists(writer.Path()));
    ExpectJournalHoldsRecord();
}

TEST_F(JournalWriterTest, IsLockedWhileHeldAndGoneWhenRemoved) {
    Grow(10);
    ASSERT_TRUE(Follow());
    const QString path = writer.Path();
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    ASSERT_GE(descriptor, 0);
    EXPECT_NE(::flock(descriptor, LOCK_EX | LOCK_NB), 0) << "another program must see it is in use";
    writer.Remove();
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_FALSE(writer.Active());
    ::close(descriptor);

    // The next record gets a journal of its own.
    ASSERT_TRUE(Follow());
    EXPECT_NE(writer.Path(), path);
}

TEST_F(JournalWriterTest, OutlivesTheWriterUntilRemoved) {
    QString path;
    {
        JournalWriter other(folder);
        Grow(10);
        ASSERT_TRUE(other.Follow(record, HeaderOf(record)));
        path = other.Path();
    }
    EXPECT_TRUE(QFileInfo::exists(path));
}

// The sensors of one measurement begin their journals at the same moment;
// each must have its own file, or one record is lost in a crash.
TEST(JournalNames, JournalsBegunTogetherHaveNamesOfTheirOwn) {
    QSet<QString> names;
    for (int i = 0; i < 100; ++i) names.insert(NewJournalPath(QStringLiteral("/records")));
    EXPECT_EQ(names.size(), 100);
    for (const QString& name : names)
        EXPECT_TRUE(QDir::match(JournalNameFilter(), QFileInfo(name).fileName())) << name.toStdString();
}

}  // namespace
