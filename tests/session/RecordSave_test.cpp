// The save of the record in memory and the open of a record file, as the
// user answers their dialogs.
#include <QDir>

#include "data/CsvTestRecords.h"
#include "session/SimulatedSession.h"
#include "session/StringTable.h"

namespace {

const QString Overwrite = "ASK: " + QString::fromLatin1(OverwriteQuestionText);
const QString Discard = "ASK: " + MsgDiscardUnsavedData;

class RecordSave : public SimulatedSessionTest {
protected:
    QString InFolder(const QString& name) const { return folder.filePath(name); }
    // A small record, not saved yet.
    AcquisitionSession& StartWithARecord() {
        AcquisitionSession& s = Start();
        BuildSmallRecord(s.Store);
        s.Store.DataSaved = false;
        return s;
    }
    void Save() {
        session->SaveClicked();
        session->SettleDiskWrites();
    }
};

TEST_F(RecordSave, OnlyAnUnsavedRecordWithSamplesIsSaved) {
    AcquisitionSession& s = StartWithARecord();
    s.Store.DataSaved = true;
    Save();
    ResetRecord(s.Store);
    s.Store.DataSaved = false;
    Save();
    EXPECT_TRUE(prompts.shown.isEmpty());
}

TEST_F(RecordSave, CreatesTheFileAndSaysSo) {
    AcquisitionSession& s = StartWithARecord();
    prompts.fileNames = {InFolder(QStringLiteral("morning"))};  // the dialog adds ".csv"
    Save();
    EXPECT_EQ(prompts.shown, (QStringList{"SAVE", "NOTICE: morning.csv Created."}));
    EXPECT_EQ(prompts.lastSaveFolder, DataFolder());
    EXPECT_TRUE(prompts.lastSuggestedName.isEmpty());
    EXPECT_EQ(s.SavedFileName, QStringLiteral("morning.csv"));
    EXPECT_TRUE(s.Store.DataSaved);
    EXPECT_FALSE(s.Controls.SaveEnabled);
    EXPECT_EQ(FileBytes(InFolder(QStringLiteral("morning.csv"))), FileBytes(FixturePath(QStringLiteral("saved-record.csv"))));
}

TEST_F(RecordSave, DecliningToOverwriteReturnsToTheDialogAndCancelWritesNothing) {
    const QString existing = InFolder(QStringLiteral("old.csv"));
    ASSERT_TRUE(WriteFileBytes(existing, "keep me"));
    AcquisitionSession& s = StartWithARecord();
    prompts.fileNames = {existing, existing, QString()};
    prompts.answers = {false, false};
    Save();
    EXPECT_EQ(prompts.shown, (QStringList{"SAVE", Overwrite, "SAVE", Overwrite, "SAVE"}));
    EXPECT_EQ(FileBytes(existing), QByteArray("keep me"));
    EXPECT_FALSE(s.Store.DataSaved);

    prompts.shown.clear();
    prompts.fileNames = {existing};
    prompts.answers = {true};
    Save();
    EXPECT_EQ(prompts.shown, (QStringList{"SAVE", Overwrite, "NOTICE: old.csv Created."}));
    EXPECT_EQ(FileBytes(existing), FileBytes(FixturePath(QStringLiteral("saved-record.csv"))));
}

TEST_F(RecordSave, AFileThatCannotBeCreatedIsReported) {
    AcquisitionSession& s = StartWithARecord();
    prompts.fileNames = {InFolder(QStringLiteral("no-such-folder/record.csv"))};
    Save();
    EXPECT_EQ(prompts.shown, (QStringList{"SAVE", "ERROR: Unable to create file."}));
    EXPECT_FALSE(s.Store.DataSaved);
    EXPECT_TRUE(s.Controls.SaveEnabled);
}

TEST_F(RecordSave, AFullDiskKeepsTheOldFileAndTellsTheUser) {
    const QString existing = InFolder(QStringLiteral("record.csv"));
    ASSERT_TRUE(WriteFileBytes(existing, "last week's record"));
    AcquisitionSession& s = Start();
    BuildLongRecord(s.Store, 5000);
    s.Store.DataSaved = false;
    prompts.fileNames = {existing};
    prompts.answers = {true};
    {
        FileSizeLimit limit(32 * 1024);
        if (!limit.active()) GTEST_SKIP() << "cannot limit the file size here";
        Save();
    }
    EXPECT_FALSE(s.Store.DataSaved);
    ASSERT_EQ(prompts.shown.size(), 3);
    EXPECT_TRUE(prompts.shown[2].startsWith(QStringLiteral("ERROR: Unable to write ")));
    EXPECT_TRUE(prompts.shown[2].contains(QStringLiteral("unchanged")));
    EXPECT_EQ(FileBytes(existing), QByteArray("last week's record"));
    EXPECT_EQ(QDir(folder.path()).entryList({QStringLiteral("*.csv*")}, QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("record.csv")});
}

TEST_F(RecordSave, OpeningAsksBeforeDroppingUnsavedData) {
    AcquisitionSession& s = StartWithARecord();
    prompts.answers = {false};
    s.OpenClicked();
    EXPECT_EQ(prompts.shown, QStringList{Discard});
    EXPECT_EQ(s.Store.SampleCount, 6);

    prompts.shown.clear();
    prompts.answers = {true};
    prompts.fileNames = {QString()};  // then cancels the dialog
    s.OpenClicked();
    EXPECT_EQ(prompts.shown, (QStringList{Discard, "OPEN"}));
    EXPECT_EQ(s.Store.SampleCount, 6);
    EXPECT_FALSE(s.Store.DataSaved);

    prompts.shown.clear();
    prompts.answers = {true};
    prompts.fileNames = {FixturePath(QStringLiteral("record-resaved-by-spreadsheet.csv"))};
    s.OpenClicked();
    EXPECT_EQ(prompts.shown, (QStringList{Discard, "OPEN"}));
    EXPECT_EQ(s.Store.SampleCount, 40);
}

}  // namespace
