// File > Export BIDS... on an uploaded record: the dialog's answers are
// checked and remembered, each export is the next run. Also makes the
// dataset that the BIDS validators and MNE check (tests/export/check_bids.py):
// its folder comes from TQ580_BIDS_SESSION_DATASET.
#include <QDir>
#include <QFile>

#include "data/CsvTestRecords.h"
#include "session/ExportTexts.h"
#include "session/StorageSensors.h"
#include "session/StringTable.h"

namespace {

class BidsExport : public StorageSessionTest {
protected:
    // An upload of the waiting sensor, saved, its panel closed.
    AcquisitionSession& Uploaded() {
        AcquisitionSession& s = StartOnStoragePage(300);
        QDir().mkpath(DataFolder());
        prompts.fileNames.push_back(QDir(DataFolder()).filePath("upload.csv"));
        s.UploadButtonClicked(RowOf(Waiting));
        EXPECT_TRUE(AdvanceUntilUploadSays(MsgUploadCompleted));
        s.UploadOkButtonClicked();
        prompts.shown.clear();
        return s;
    }
    static QString RunFile(const QString& dataset, const QString& stem) {
        return QDir(dataset).filePath("sub-S07/ses-day1/nirs/" + stem + "_nirs.snirf");
    }
};

TEST_F(BidsExport, AsksChecksRemembersAndWritesTheNextRun) {
    AcquisitionSession& s = Uploaded();
    const QString dataset = folder.filePath("study");
    s.Exports.BidsTask = "rest";  // from the settings file

    // A label BIDS forbids is said, and the dialog comes back with the answers.
    prompts.bidsAnswers = {BidsExportChoice{dataset, " S_07 ", "day1", "rest"},
                           BidsExportChoice{" " + dataset + " ", "S07", "day1", "rest"}};
    s.ExportBidsClicked();
    ASSERT_EQ(prompts.shown.size(), 4) << prompts.shown.join('\n').toStdString();
    EXPECT_EQ(prompts.bidsOffered[0].task, "rest");
    EXPECT_EQ(prompts.shown[1], "ERROR: " + MsgBidsNotExported.arg(
                                                "the subject label 'S_07' may hold only letters and digits (A-Z, a-z, 0-9)"));
    EXPECT_EQ(prompts.bidsOffered[1].subject, "S_07");
    EXPECT_EQ(prompts.shown[3], "NOTICE: " + MsgBidsExported.arg("sub-S07_ses-day1_task-rest_run-1", dataset));
    EXPECT_TRUE(QFile::exists(RunFile(dataset, "sub-S07_ses-day1_task-rest_run-1")));
    EXPECT_EQ(s.Exports.BidsDataset, dataset);
    EXPECT_EQ(s.Exports.BidsSubject, "S07");
    EXPECT_EQ(s.Exports.BidsSession, "day1");

    // The same answers again make run 2; Cancel writes nothing.
    prompts.shown.clear();
    prompts.bidsAnswers = {std::nullopt};
    s.ExportBidsClicked();
    EXPECT_EQ(prompts.shown, QStringList{"BIDS"});
    EXPECT_EQ(prompts.bidsOffered.back().dataset, dataset);
    prompts.bidsAnswers = {prompts.bidsOffered.back()};
    s.ExportBidsClicked();
    EXPECT_EQ(prompts.shown.last(), "NOTICE: " + MsgBidsExported.arg("sub-S07_ses-day1_task-rest_run-2", dataset));
    EXPECT_TRUE(QFile::exists(RunFile(dataset, "sub-S07_ses-day1_task-rest_run-2")));
    EXPECT_FALSE(QFile::exists(RunFile(dataset, "sub-S07_ses-day1_task-rest_run-3")));
}

TEST_F(BidsExport, AFolderThatCannotBeWrittenIsSaid) {
    AcquisitionSession& s = Uploaded();
    ASSERT_TRUE(WriteFileBytes(folder.filePath("file"), "not a folder"));
    prompts.bidsAnswers = {BidsExportChoice{folder.filePath("file/study"), "S07", "", "rest"}};
    s.ExportBidsClicked();
    ASSERT_EQ(prompts.shown.size(), 2);
    EXPECT_TRUE(prompts.shown[1].startsWith("ERROR: Unable to export the record to the BIDS dataset: cannot write"))
        << prompts.shown[1].toStdString();
    EXPECT_TRUE(prompts.shown[1].contains("is not a folder")) << prompts.shown[1].toStdString();
}

// The dataset of one uploaded record, with its raw intensities, for check_bids.py.
TEST_F(BidsExport, DatasetForTheValidators) {
    const QString asked = qEnvironmentVariable("TQ580_BIDS_SESSION_DATASET");
    const QString dataset = asked.isEmpty() ? folder.filePath("window") : asked;
    QDir(dataset).removeRecursively();
    AcquisitionSession& s = Uploaded();
    ASSERT_TRUE(s.Store.HasRawIntensities);
    prompts.bidsAnswers = {BidsExportChoice{dataset, "S07", "day1", "rest"}};
    s.ExportBidsClicked();
    EXPECT_EQ(prompts.shown.last(), "NOTICE: " + MsgBidsExported.arg("sub-S07_ses-day1_task-rest_run-1", dataset));
    // Beside the dataset: the record and its raw intensities, to compare with.
    QFile::remove(dataset + "-record.csv");
    EXPECT_TRUE(QFile::copy(QDir(DataFolder()).filePath("upload.csv"), dataset + "-record.csv"));
    EXPECT_TRUE(WriteRawIntensities(s.Store, dataset + "-raw.tsv"));
}

}  // namespace
