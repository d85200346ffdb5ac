#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <ctime>

#include "data/CsvTestRecords.h"
#include "data/OleDate.h"
#include "data/SampleStore.h"
#include "export/SnirfWriter.h"

namespace {

class SnirfWriterTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    SampleStore store;

    QString InFolder(const QString& name) const { return folder.filePath(name); }
    QStringList FilesInFolder() const {
        return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
};

// HDF5's own signature: the file is a complete HDF5 file.
bool IsHdf5File(const QString& path) {
    return FileBytes(path).startsWith(QByteArray("\x89HDF\r\n\x1a\n", 8));
}

TEST_F(SnirfWriterTest, WritesACompleteFileAndLeavesNothingElse) {
    BuildLongRecord(store, 3000);
    const QString path = InFolder(QStringLiteral("record.snirf"));
    const SnirfWriteOutcome outcome = WriteSnirfFile(store, path);
    ASSERT_TRUE(outcome.written) << outcome.reason.toStdString();
    EXPECT_TRUE(IsHdf5File(path));
    EXPECT_EQ(FilesInFolder(), QStringList{QStringLiteral("record.snirf")});
}

TEST_F(SnirfWriterTest, ReplacesAnExistingFileOnlyWhenComplete) {
    BuildLongRecord(store, 100);
    const QString path = InFolder(QStringLiteral("record.snirf"));
    ASSERT_TRUE(WriteFileBytes(path, "old"));
    ASSERT_TRUE(WriteSnirfFile(store, path).written);
    EXPECT_TRUE(IsHdf5File(path));
}

TEST_F(SnirfWriterTest, AFullDiskLeavesNoPartialFileAndSaysWhy) {
    BuildLongRecord(store, 20000);  // about 1.5 MB
    const QString path = InFolder(QStringLiteral("record.snirf"));
    ASSERT_TRUE(WriteFileBytes(path, "keep me"));
    SnirfWriteOutcome outcome;
    {
        FileSizeLimit limit(256 * 1024);
        if (!limit.active()) GTEST_SKIP() << "cannot limit the file size here";
        outcome = WriteSnirfFile(store, path);
    }
    EXPECT_FALSE(outcome.written);
    EXPECT_TRUE(outcome.reason.contains(QStringLiteral("File too large"))) << outcome.reason.toStdString();
    EXPECT_EQ(FileBytes(path), QByteArray("keep me"));
    EXPECT_EQ(FilesInFolder(), QStringList{QStringLiteral("record.snirf")});
}

TEST_F(SnirfWriterTest, AMissingFolderIsReported) {
    BuildLongRecord(store, 10);
    const SnirfWriteOutcome outcome = WriteSnirfFile(store, InFolder(QStringLiteral("no-such-folder/record.snirf")));
    EXPECT_FALSE(outcome.written);
    EXPECT_TRUE(outcome.reason.contains(QStringLiteral("No such file or directory"))) << outcome.reason.toStdString();
}

TEST_F(SnirfWriterTest, RecordsWithoutHaemoglobinAreRefused) {
    const QString path = InFolder(QStringLiteral("record.snirf"));
    ResetRecord(store);
    EXPECT_EQ(WriteSnirfFile(store, path).reason, QStringLiteral("the record holds no samples"));
    // One sample has no rate for a reader to find (MNE: "sfreq must be positive").
    BuildLongRecord(store, 1);
    EXPECT_EQ(WriteSnirfFile(store, path).reason.toStdString(),
              "the record holds a single sample; analysis tools need at least two to know its sampling rate");
    BuildLongRecord(store, 2);
    EXPECT_TRUE(WriteSnirfFile(store, path).written);
    QFile::remove(path);

    BuildLongRecord(store, 10);
    store.CheckSensorsMode = true;
    EXPECT_TRUE(WriteSnirfFile(store, path).reason.contains(QStringLiteral("sensor-check")));

    store.CheckSensorsMode = false;
    store.RecordRateIndex = 6;
    EXPECT_TRUE(WriteSnirfFile(store, path).reason.contains(QStringLiteral("rate index 6")));
    EXPECT_TRUE(FilesInFolder().isEmpty());
}

// Runs with the local zone set to nine hours east of UTC, as in Japan.
class InJapaneseTime : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = qgetenv("TZ");
        hadZone_ = qEnvironmentVariableIsSet("TZ");
        qputenv("TZ", "JST-9");
        tzset();
    }
    void TearDown() override {
        if (hadZone_) qputenv("TZ", previous_);
        else qunsetenv("TZ");
        tzset();
    }

private:
    QByteArray previous_;
    bool hadZone_ = false;
};

// Whole seconds in MeasurementTime, which every reader parses; the
// milliseconds, when the start has them, in a form of their own.
TEST_F(InJapaneseTime, MeasurementTimeIsTheStartInUtcWithItsMilliseconds) {
    const SnirfMeasurementTime morning = MeasurementTimeInUtc(*OleDateFromParts({2026, 12, 10, 8, 0, 5, 999}));
    EXPECT_EQ(morning.date, QStringLiteral("2026-12-09"));
    EXPECT_EQ(morning.time, QStringLiteral("23:00:05Z"));
    EXPECT_EQ(morning.timeWithMilliseconds, QStringLiteral("23:00:05.999Z"));
    const SnirfMeasurementTime early = MeasurementTimeInUtc(*OleDateFromParts({2026, 12, 10, 8, 0, 5, 7}));
    EXPECT_EQ(early.timeWithMilliseconds, QStringLiteral("23:00:05.007Z"));
    const SnirfMeasurementTime afternoon = MeasurementTimeInUtc(*OleDateFromParts({2027, 1, 1, 14, 59, 59, 0}));
    EXPECT_EQ(afternoon.date, QStringLiteral("2027-01-01"));
    EXPECT_EQ(afternoon.time, QStringLiteral("05:59:59Z"));
    EXPECT_TRUE(afternoon.timeWithMilliseconds.isEmpty());
}

}  // namespace
