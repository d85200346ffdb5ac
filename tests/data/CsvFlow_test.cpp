#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "data/CsvOpenFlow.h"
#include "data/CsvTestRecords.h"
#include "data/OleDate.h"
#include "data/SampleStore.h"
#include "support/ScriptedPrompts.h"

namespace {

const QString FormatError = QStringLiteral("ERROR: Data format error.");

class CsvFlows : public ::testing::Test {
protected:
    QString InFolder(const QString& name) const { return folder.filePath(name); }

    QTemporaryDir folder;
    SampleStore store;
    ScriptedPrompts prompts;
};

TEST_F(CsvFlows, OpeningAFileShowsItsRecord) {
    store.CheckSensorsMode = true;
    store.InitPointsEditable = true;
    std::vector<bool> cursor;
    const OpenRecordOutcome outcome = OpenRecordFile(store, prompts, FixturePath(QStringLiteral("record-resaved-by-spreadsheet.csv")),
                                                     [&](bool busy) { cursor.push_back(busy); });

    EXPECT_TRUE(prompts.shown.isEmpty());
    EXPECT_EQ(cursor, (std::vector<bool>{true, false}));
    EXPECT_TRUE(outcome.recordReplaced);
    EXPECT_TRUE(outcome.sampleCursorCleared);
    EXPECT_TRUE(outcome.editMenuEnabled);
    EXPECT_EQ(outcome.scrollBar, ScrollBarUpdate::ApplyScrollRangeRule);
    EXPECT_EQ(outcome.statusText,
              QStringLiteral("FileName[ record-resaved-by-spreadsheet.csv ]    DeviceID[ Tq580-123456-789 ]    "
                             "Start[ 2026/12/09 10:00:00 ]    Rate[ 0.1sec ]    Count[ 40 ]"));
    EXPECT_FALSE(store.CheckSensorsMode);
    EXPECT_FALSE(store.InitPointsEditable);
    EXPECT_EQ(store.CurrentSample.time, store.RecordEndTime);
    EXPECT_EQ(store.CurrentSample.index, 39);
}

TEST_F(CsvFlows, AFileThatIsNoRecordLeavesTheRecordInView) {
    const QString other = InFolder(QStringLiteral("other.csv"));
    ASSERT_TRUE(WriteFileBytes(other, "S/N,Xy100-1,RATE,100\r\n"));
    const QString empty = InFolder(QStringLiteral("empty.csv"));
    ASSERT_TRUE(WriteFileBytes(empty, ""));
    struct Case {
        QString path;
        QString message;
        bool cursorCleared;
    };
    const Case cases[] = {
        {other, FormatError, true},
        {empty, FormatError, false},
        {InFolder(QStringLiteral("missing.csv")), QStringLiteral("ERROR: Unable to open file."), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        BuildSmallRecord(store);
        store.DataSaved = true;
        prompts.shown.clear();
        const OpenRecordOutcome outcome = OpenRecordFile(store, prompts, c.path);
        EXPECT_EQ(prompts.shown, QStringList{c.message});
        EXPECT_FALSE(outcome.recordReplaced);
        EXPECT_EQ(outcome.scrollBar, ScrollBarUpdate::Keep);
        EXPECT_EQ(outcome.sampleCursorCleared, c.cursorCleared);
        EXPECT_EQ(store.SampleCount, 6);
        EXPECT_EQ(store.RecordRateIndex, 5);
    }
}

TEST_F(CsvFlows, ABadRowKeepsTheRowsBeforeItAndSaysSo) {
    QByteArray bytes = FileBytes(FixturePath(QStringLiteral("saved-record.csv")));
    bytes.replace("00:00:35,7,3.5", "00:00:35,7,x.5");
    const QString path = InFolder(QStringLiteral("damaged.csv"));
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    const OpenRecordOutcome outcome = OpenRecordFile(store, prompts, path);
    EXPECT_EQ(prompts.shown, QStringList{FormatError});
    EXPECT_TRUE(outcome.recordReplaced);
    EXPECT_EQ(store.SampleCount, 3);
    EXPECT_TRUE(outcome.statusText.endsWith(QStringLiteral("Rate[ 5.0sec ]    Count[ 3 ]")));
}

TEST_F(CsvFlows, AHeaderWithoutRowsEmptiesTheView) {
    const QString path = InFolder(QStringLiteral("header-only.csv"));
    QByteArray bytes = FileBytes(FixturePath(QStringLiteral("saved-record.csv")));
    ASSERT_TRUE(WriteFileBytes(path, bytes.left(bytes.indexOf("00:00:00,"))));
    BuildSmallRecord(store);
    store.DataSaved = true;
    const OpenRecordOutcome outcome = OpenRecordFile(store, prompts, path);
    EXPECT_TRUE(prompts.shown.isEmpty());
    EXPECT_TRUE(outcome.recordReplaced);
    EXPECT_FALSE(outcome.editMenuEnabled);
    EXPECT_EQ(outcome.scrollBar, ScrollBarUpdate::Hide);
    EXPECT_TRUE(outcome.statusText.isEmpty());
    EXPECT_EQ(store.SampleCount, 0);
}

TEST_F(CsvFlows, AFileLongerThanTheStoreIsOpenedInPartWithANotice) {
    QByteArray bytes = FileBytes(FixturePath(QStringLiteral("saved-record.csv")));
    bytes = bytes.left(bytes.indexOf("00:00:00,"));
    for (int i = 0; i <= MaxSamples; ++i) bytes += "0," + QByteArray::number(i) + ",,,,,,,,,,,,,,,\n";
    const QString path = InFolder(QStringLiteral("long.csv"));
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    const OpenRecordOutcome outcome = OpenRecordFile(store, prompts, path);
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_TRUE(prompts.shown[0].startsWith(QStringLiteral("NOTICE: ")));
    EXPECT_TRUE(prompts.shown[0].contains(QStringLiteral("108000")));
    EXPECT_TRUE(outcome.recordReplaced);
    EXPECT_EQ(store.SampleCount, MaxSamples);
}

TEST(CsvStatusText, RateIndexZeroHasALabelToo) {
    SampleStore store;
    store.RecordRateIndex = 0;
    store.RecordDeviceId = QStringLiteral("Tq570-1");
    store.RecordStartTime = *OleDateFromParts({2026, 1, 2, 3, 4, 5});
    EXPECT_EQ(OpenedRecordStatusText(store, QStringLiteral("a.csv")),
              QStringLiteral("FileName[ a.csv ]    DeviceID[ Tq570-1 ]    Start[ 2026/01/02 03:04:05 ]    "
                             "Rate[ 0.05sec ]    Count[ 0 ]"));
}

}  // namespace
