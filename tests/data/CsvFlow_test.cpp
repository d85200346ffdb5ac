#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "data/CsvOpenFlow.h"
#include "data/CsvSaveFlow.h"
#include "data/CsvTestRecords.h"
#include "data/OleDate.h"
#include "data/SampleStore.h"
#include "support/ScriptedPrompts.h"

namespace {

const QString Overwrite = QStringLiteral("ASK: Do you want to overwrite the existing file?");
const QString Discard = QStringLiteral("ASK: Do you want to discard unsaved data?");
const QString FormatError = QStringLiteral("ERROR: Data format error.");

class CsvFlows : public ::testing::Test {
protected:
    QString InFolder(const QString& name) const { return folder.filePath(name); }

    QTemporaryDir folder;
    SampleStore store;
    ScriptedPrompts prompts;
    QString SavedFileName;
};

TEST_F(CsvFlows, SaveWritesOnlyAnUnsavedRecordWithSamples) {
    BuildSmallRecord(store);
    store.DataSaved = true;
    EXPECT_FALSE(SaveWithNotice(store, prompts, folder.path(), SavedFileName));
    ResetRecord(store);
    store.DataSaved = false;
    EXPECT_FALSE(SaveWithNotice(store, prompts, folder.path(), SavedFileName));
    EXPECT_TRUE(prompts.shown.isEmpty());
}

TEST_F(CsvFlows, SaveCreatesTheFileAndSaysSo) {
    BuildSmallRecord(store);
    prompts.fileNames = {InFolder(QStringLiteral("morning"))};  // the dialog adds ".csv"
    EXPECT_TRUE(SaveWithNotice(store, prompts, folder.path(), SavedFileName));
    EXPECT_EQ(prompts.shown, (QStringList{"SAVE", "NOTICE: morning.csv Created."}));
    EXPECT_EQ(prompts.lastSaveFolder, folder.path());
    EXPECT_TRUE(prompts.lastSuggestedName.isEmpty());
    EXPECT_EQ(SavedFileName, QStringLiteral("morning.csv"));
    EXPECT_TRUE(store.DataSaved);
    EXPECT_EQ(FileBytes(InFolder(QStringLiteral("morning.csv"))), FileBytes(FixturePath(QStringLiteral("saved-record.csv"))));
}

TEST_F(CsvFlows, DecliningToOverwriteReturnsToTheDialog) {
    const QString existing = InFolder(QStringLiteral("old.csv"));
    ASSERT_TRUE(WriteFileBytes(existing, "keep me"));
    BuildSmallRecord(store);
    prompts.fileNames = {existing, existing, InFolder(QStringLiteral("new.csv"))};
    prompts.answers = {false, false};

    QString savedPath;
    EXPECT_TRUE(Save(store, prompts, folder.path(), SavedFileName, {}, &savedPath));
    EXPECT_EQ(prompts.shown, (QStringList{"SAVE", Overwrite, "SAVE", Overwrite, "SAVE"}));
    EXPECT_EQ(FileBytes(existing), QByteArray("keep me"));
    EXPECT_EQ(SavedFileName, QStringLiteral("new.csv"));
    EXPECT_EQ(savedPath, InFolder(QStringLiteral("new.csv")));
}

TEST_F(CsvFlows, OverwritingReplacesTheFileAndCancelWritesNothing) {
    const QString existing = InFolder(QStringLiteral("old.csv"));
    ASSERT_TRUE(WriteFileBytes(existing, "replace me"));
    BuildSmallRecord(store);

    prompts.fileNames = {QString()};  // Cancel
    EXPECT_FALSE(Save(store, prompts, folder.path(), SavedFileName));
    EXPECT_FALSE(store.DataSaved);
    EXPECT_EQ(FileBytes(existing), QByteArray("replace me"));

    prompts.fileNames = {existing};
    prompts.answers = {true};
    EXPECT_TRUE(Save(store, prompts, folder.path(), SavedFileName));
    EXPECT_EQ(FileBytes(existing), FileBytes(FixturePath(QStringLiteral("saved-record.csv"))));
}

TEST_F(CsvFlows, AFileThatCannotBeCreatedIsReported) {
    BuildSmallRecord(store);
    prompts.fileNames = {InFolder(QStringLiteral("no-such-folder/record.csv"))};
    EXPECT_FALSE(SaveWithNotice(store, prompts, folder.path(), SavedFileName));
    EXPECT_EQ(prompts.shown, (QStringList{"SAVE", "ERROR: Unable to create file."}));
    EXPECT_FALSE(store.DataSaved);
}

TEST_F(CsvFlows, AFullDiskKeepsTheOldFileAndTellsTheUser) {
    const QString existing = InFolder(QStringLiteral("record.csv"));
    ASSERT_TRUE(WriteFileBytes(existing, "last week's record"));
    BuildLongRecord(store, 5000);
    prompts.fileNames = {existing};
    prompts.answers = {true};

    bool saved = false;
    {
        FileSizeLimit limit(32 * 1024);
        if (!limit.active()) GTEST_SKIP() << "cannot limit the file size here";
        saved = SaveWithNotice(store, prompts, folder.path(), SavedFileName);
    }

    EXPECT_FALSE(saved);
    EXPECT_FALSE(store.DataSaved);
    ASSERT_EQ(prompts.shown.size(), 3);
    EXPECT_TRUE(prompts.shown[2].startsWith(QStringLiteral("ERROR: Unable to write ")));
    EXPECT_TRUE(prompts.shown[2].contains(QStringLiteral("unchanged")));
    EXPECT_EQ(FileBytes(existing), QByteArray("last week's record"));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("record.csv")});
}

TEST_F(CsvFlows, OpeningAFileShowsItsRecord) {
    store.CheckSensorsMode = true;
    store.InitPointsEditable = true;
    prompts.fileNames = {FixturePath(QStringLiteral("record-resaved-by-spreadsheet.csv"))};
    std::vector<bool> cursor;
    const OpenRecordOutcome outcome = OpenRecord(store, prompts, folder.path(), [&](bool busy) { cursor.push_back(busy); });

    EXPECT_EQ(prompts.shown, QStringList{"OPEN"});
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

TEST_F(CsvFlows, OpeningAsksBeforeDroppingUnsavedData) {
    BuildSmallRecord(store);  // unsaved
    prompts.answers = {false};
    OpenRecordOutcome outcome = OpenRecord(store, prompts, folder.path());
    EXPECT_EQ(prompts.shown, QStringList{Discard});
    EXPECT_FALSE(outcome.recordReplaced);
    EXPECT_EQ(store.SampleCount, 6);

    prompts.shown.clear();
    prompts.answers = {true};
    prompts.fileNames = {QString()};  // then cancels the dialog
    outcome = OpenRecord(store, prompts, folder.path());
    EXPECT_EQ(prompts.shown, (QStringList{Discard, "OPEN"}));
    EXPECT_FALSE(outcome.recordReplaced);
    EXPECT_FALSE(outcome.sampleCursorCleared);
    EXPECT_EQ(store.SampleCount, 6);
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
        prompts.fileNames = {c.path};
        const OpenRecordOutcome outcome = OpenRecord(store, prompts, folder.path());
        EXPECT_EQ(prompts.shown, (QStringList{"OPEN", c.message}));
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
    prompts.fileNames = {path};

    const OpenRecordOutcome outcome = OpenRecord(store, prompts, folder.path());
    EXPECT_EQ(prompts.shown, (QStringList{"OPEN", FormatError}));
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
    prompts.fileNames = {path};

    const OpenRecordOutcome outcome = OpenRecord(store, prompts, folder.path());
    EXPECT_EQ(prompts.shown, QStringList{"OPEN"});
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
    prompts.fileNames = {path};

    const OpenRecordOutcome outcome = OpenRecord(store, prompts, folder.path());
    ASSERT_EQ(prompts.shown.size(), 2);
    EXPECT_TRUE(prompts.shown[1].startsWith(QStringLiteral("NOTICE: ")));
    EXPECT_TRUE(prompts.shown[1].contains(QStringLiteral("108000")));
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
