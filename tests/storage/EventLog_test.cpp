#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "storage/EventLog.h"

namespace {
QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
}  // namespace

TEST(EventLog, RecordsAreSixteenLittleEndianBytes) {
    QTemporaryDir folder;
    const QString path = folder.filePath("tq580.evl");
    ASSERT_TRUE(AppendEventLog(path, 46365.5, 3));
    ASSERT_TRUE(AppendEventLog(path, 46365.75, -3));
    const QByteArray bytes = Read(path);
    ASSERT_EQ(bytes.size(), 32);
    // 46365.5 as a little-endian double
    EXPECT_EQ(bytes.mid(0, 8).toHex(), QByteArray("00000000b0a3e640"));
    EXPECT_EQ(bytes.mid(8, 8).toHex(), QByteArray("0300000000000000"));
    EXPECT_EQ(bytes.mid(24, 8).toHex(), QByteArray("fdffffff00000000"));
}

TEST(EventLog, AppendsAfterTheLastWholeRecord) {
    QTemporaryDir folder;
    const QString path = folder.filePath("tq580.evl");
    for (int i = 0; i < 10; ++i) ASSERT_TRUE(AppendEventLog(path, 1.0, 1));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write("torn");  // a record cut off by a crash
    }
    ASSERT_TRUE(AppendEventLog(path, 2.0, 7));
    const QByteArray bytes = Read(path);
    ASSERT_EQ(bytes.size(), 11 * EventLogRecordSize);
    EXPECT_EQ(bytes.mid(160 + 8, 4).toHex(), QByteArray("07000000"));
}

TEST(EventLog, FailureIsReportedAndWritesNothing) {
    QString error;
    EXPECT_FALSE(AppendEventLog("/nonexistent-folder/tq580.evl", 1.0, 1, &error));
    EXPECT_TRUE(error.contains("nonexistent-folder"));
    EXPECT_FALSE(AppendEventLog("/dev/full", 1.0, 1, &error));
    EXPECT_TRUE(error.contains("/dev/full"));
}
