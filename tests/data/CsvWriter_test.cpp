#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "data/CsvFormat.h"
#include "data/CsvTestRecords.h"
#include "data/CsvWriter.h"
#include "data/OleDate.h"
#include "data/SampleStore.h"

namespace {

TEST(CsvWriter, SavesTheSmallRecordByteForByte) {
    SampleStore store;
    BuildSmallRecord(store);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("record.csv"));

    const CsvWriteOutcome outcome = WriteRecordFile(store, path);
    ASSERT_EQ(outcome.result, CsvWriteResult::Written);

    const QByteArray expected = FileBytes(FixturePath(QStringLiteral("saved-record.csv")));
    ASSERT_FALSE(expected.isEmpty());
    const QByteArray written = FileBytes(path);
    // Line by line first, for a readable failure; then every byte.
    const QList<QByteArray> expectedLines = expected.split('\n');
    const QList<QByteArray> writtenLines = written.split('\n');
    for (qsizetype i = 0; i < std::min(expectedLines.size(), writtenLines.size()); ++i)
        EXPECT_EQ(writtenLines[i].toStdString(), expectedLines[i].toStdString()) << "line " << i + 1;
    EXPECT_EQ(written, expected);

    // The end time is recomputed as start + last index x interval, across two days.
    EXPECT_EQ(FormatDateTime(store.RecordEndTime), QStringLiteral("2026/12/11 00:00:20"));
}

TEST(CsvWriter, RowsFollowTheFieldFormats) {
    SampleStore store;
    struct Case {
        const char* what;
        int rateIndex;
        MEAS_DATA_TYPE sample;
        const char* row;
    };
    MEAS_DATA_TYPE example{};
    example.index = 10;
    example.batt = 3.6f;
    example.acc[0] = 0.01f;
    example.acc[1] = -0.02f;
    example.acc[2] = 0.98f;
    example.ch[0].oxhb = 0.0123f;
    example.ch[0].dxhb = -0.0045f;
    example.ch[0].tohb = 0.0078f;
    example.ch[0].sto2 = 0.6543f;
    example.ch[1].sto2 = 0.641f;
    MEAS_DATA_TYPE at50ms{};
    at50ms.index = 25;
    MEAS_DATA_TYPE at5s = at50ms;
    at5s.index = 7;
    MEAS_DATA_TYPE oddValues{};
    oddValues.index = 123456789;  // far beyond a day: hours keep counting
    oddValues.batt = 12.35f;  // just above 12.35 as a float: rounds up
    oddValues.ch[0].oxhb = std::numeric_limits<float>::quiet_NaN();
    oddValues.ch[0].dxhb = std::numeric_limits<float>::infinity();
    oddValues.ch[0].tohb = -0.00004f;  // rounds to a negative zero, as printf writes it

    const Case cases[] = {
        {"the example row", 1, example,
         "00:00:01,10,3.6, 0.01,-0.02, 0.98,,, 0.0123,-0.0045, 0.0078, 65.43,, 0.0000, 0.0000, 0.0000, 64.10\r\n"},
        {"50 ms, index 25", 0, at50ms,
         "00:00:01,25,0.0, 0.00, 0.00, 0.00,,, 0.0000, 0.0000, 0.0000,  0.00,, 0.0000, 0.0000, 0.0000,  0.00\r\n"},
        {"5000 ms, index 7", 5, at5s,
         "00:00:35,7,0.0, 0.00, 0.00, 0.00,,, 0.0000, 0.0000, 0.0000,  0.00,, 0.0000, 0.0000, 0.0000,  0.00\r\n"},
        {"wide and odd values", 1, oddValues,
         "3429:21:18,123456789,12.4, 0.00, 0.00, 0.00,,,    nan,    inf,-0.0000,  0.00,, 0.0000, 0.0000, 0.0000,  0.00\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetRecord(store);
        store.RecordRateIndex = c.rateIndex;
        AppendSample(store, c.sample);
        std::string row;
        AppendCsvRow(store, 0, row);
        EXPECT_EQ(row, c.row);
    }
}

TEST(CsvWriter, EventTextStopsAtTheFirstFreeOrLaterMark) {
    SampleStore store;
    for (int i = 0; i < 4; ++i) AppendSample(store, MEAS_DATA_TYPE{});
    AddEventMark(store, 1, 3);
    AddEventMark(store, 3, -4);
    store.EventMarks[2] = {1, 5};  // out of order: the scan has stopped at sample 3 before reaching it
    store.EventMarks[5] = {1, 6};  // behind a free entry: never read
    const char* expected[] = {"", "S3", "", "E4"};
    for (int position = 0; position < 4; ++position) {
        std::string text;
        AppendEventText(store, position, text);
        EXPECT_EQ(text, expected[position]) << position;
    }
}

TEST(CsvWriter, DeviceIdentityIsWrittenInAscii) {
    EXPECT_EQ(ToFileAscii(QString::fromUtf8("Tq580-12\u00b5-\U0001F600,x")), "Tq580-12?-?,x");
}

TEST(CsvWriter, LetsTheWindowBreatheEveryTenRows) {
    SampleStore store;
    BuildLongRecord(store, 25);
    QTemporaryDir folder;
    int calls = 0;
    const CsvWriteOutcome outcome =
        WriteRecordFile(store, folder.filePath(QStringLiteral("r.csv")), [&] { calls++; });
    EXPECT_EQ(outcome.result, CsvWriteResult::Written);
    EXPECT_EQ(calls, 3);  // after rows 0, 10 and 20
}

TEST(CsvWriter, AFolderThatCannotTakeTheFileIsReportedAsNotCreated) {
    SampleStore store;
    BuildSmallRecord(store);
    QTemporaryDir folder;
    const CsvWriteOutcome outcome = WriteRecordFile(store, folder.filePath(QStringLiteral("missing/record.csv")));
    EXPECT_EQ(outcome.result, CsvWriteResult::CannotCreate);
    EXPECT_FALSE(outcome.errorText.isEmpty());
}

TEST(CsvWriter, AFailedWriteKeepsTheOldFileAndLeavesNoTemporaryFile) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("record.csv"));
    const QByteArray oldContent("S/N,Tq580-000000-000,RATE,100\r\nthe record saved last week\r\n");
    ASSERT_TRUE(WriteFileBytes(path, oldContent));

    SampleStore store;
    BuildLongRecord(store, 5000);  // about 500 kB
    CsvWriteOutcome outcome;
    {
        FileSizeLimit limit(64 * 1024);
        if (!limit.active()) GTEST_SKIP() << "cannot limit the file size here";
        outcome = WriteRecordFile(store, path);
    }
    EXPECT_EQ(outcome.result, CsvWriteResult::WriteFailed);
    EXPECT_FALSE(outcome.errorText.isEmpty());
    EXPECT_EQ(FileBytes(path), oldContent);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("record.csv")});
}

}  // namespace
