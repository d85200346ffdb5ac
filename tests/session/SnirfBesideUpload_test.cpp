// A saved upload keeps its raw intensities in a SNIRF file beside the record
// file, and the sensor clears its log only when they are kept. Also makes
// the files that the MNE-Python and h5py checks (tests/export/check_snirf.py)
// read: an upload from a simulated sensor, saved, and exported from the
// window with a subject. The folder comes from TQ580_SNIRF_SESSION_RECORDS;
// without it the files go to the test's temporary folder.
#include <QDir>
#include <QFile>

#include "data/CsvTestRecords.h"
#include "session/ExportTexts.h"
#include "session/StorageSensors.h"
#include "session/StringTable.h"

namespace {

constexpr int Stored = 300;

class SnirfBesideUpload : public StorageSessionTest {
protected:
    // Uploads the waiting sensor's log and answers the save with this file.
    void UploadAndSaveAs(AcquisitionSession& s, const QString& csvPath) {
        prompts.fileNames.push_back(csvPath);
        s.UploadButtonClicked(RowOf(Waiting));
        ASSERT_TRUE(AdvanceUntilUploadSays(MsgUploadCompleted));
        Advance(1000);  // a "@CLR", if any, reaches the sensor
    }
    bool LogCleared() const { return simulator->Sensor(Waiting)->StoredSamples() == 0; }
    static bool IsHdf5File(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) && file.read(8) == QByteArray("\x89HDF\r\n\x1a\n", 8);
    }
};

// What is beside the record before the save, and what the user answers.
enum class Beside { Nothing, OwnFile, Folder };

struct BesideCase {
    const char* name;
    bool settingOn;
    Beside before;
    std::deque<bool> answers;  // to the question about a file already there
    bool snirfWritten;
    QString line3;
    bool errorShown;
    bool logCleared;
};

void PrintTo(const BesideCase& c, std::ostream* out) { *out << c.name; }

class SnirfBesideCases : public SnirfBesideUpload, public ::testing::WithParamInterface<BesideCase> {};

TEST_P(SnirfBesideCases, TheCsvIsAlwaysSavedAndTheLogIsClearedOnlyWhenTheIntensitiesAreKept) {
    const BesideCase& c = GetParam();
    QDir().mkpath(DataFolder());
    const QString csv = QDir(DataFolder()).filePath("upload.csv");
    const QString snirf = QDir(DataFolder()).filePath("upload.snirf");
    if (c.before == Beside::OwnFile) {
        ASSERT_TRUE(WriteFileBytes(snirf, "the user's own export"));
    } else if (c.before == Beside::Folder) {
        ASSERT_TRUE(QDir().mkpath(snirf));  // no file can take its place
    }
    prompts.answers = c.answers;

    AcquisitionSession& s = StartOnStoragePage(Stored);
    s.Exports.SnirfBesideUploads = c.settingOn;
    UploadAndSaveAs(s, csv);

    EXPECT_TRUE(QFile::exists(csv));
    EXPECT_TRUE(s.Store.DataSaved);
    EXPECT_EQ(IsHdf5File(snirf), c.snirfWritten);
    if (c.before == Beside::OwnFile && !c.snirfWritten) {
        EXPECT_EQ(FileBytes(snirf), "the user's own export");
    }
    EXPECT_EQ(s.UploadPanel.Line3, c.line3);
    EXPECT_EQ(prompts.shown.filter("ERROR: ").size(), c.errorShown ? 1 : 0) << prompts.shown.join('\n').toStdString();
    if (c.errorShown) {
        const QString error = prompts.shown.filter("ERROR: ").value(0);
        EXPECT_TRUE(error.contains("upload.csv is saved, without the raw intensities")) << error.toStdString();
    }
    EXPECT_EQ(central->CommandsTo(Waiting).contains("@CLR"), c.logCleared);
    EXPECT_EQ(LogCleared(), c.logCleared);
    EXPECT_TRUE(prompts.answers.empty()) << "every scripted answer was asked for";
}

const QString Both = "upload.csv and upload.snirf" + MsgCreatedSuffix;
const QString CsvOnly = "upload.csv" + MsgCreatedSuffix;
const QString CsvKeptLog = "upload.csv" + MsgCreatedSuffix + MsgSensorKeepsLog;

INSTANTIATE_TEST_SUITE_P(
    Cases, SnirfBesideCases,
    ::testing::Values(BesideCase{"BothFiles", true, Beside::Nothing, {}, true, Both, false, true},
                      BesideCase{"SettingOff", false, Beside::Nothing, {}, false, CsvOnly, false, true},
                      BesideCase{"OwnFileReplaced", true, Beside::OwnFile, {true}, true, Both, false, true},
                      BesideCase{"OwnFileKept", true, Beside::OwnFile, {false}, false, CsvKeptLog, false, false},
                      BesideCase{"CannotBeWritten", true, Beside::Folder, {true}, false, CsvKeptLog, true, false}),
    [](const ::testing::TestParamInfo<BesideCase>& info) { return std::string(info.param.name); });

// Declined at the end of the upload, saved later from the menu: the
// record still has its raw intensities, and the message names both files.
TEST_F(SnirfBesideUpload, ASaveFromTheMenuWritesItToo) {
    AcquisitionSession& s = StartOnStoragePage(Stored);
    UploadAndSaveAs(s, QString());
    EXPECT_FALSE(s.Store.DataSaved);
    EXPECT_FALSE(LogCleared());
    s.UploadOkButtonClicked();

    prompts.shown.clear();
    prompts.fileNames.push_back(QDir(DataFolder()).filePath("later.csv"));
    s.SaveClicked();
    s.SettleDiskWrites();
    EXPECT_EQ(prompts.shown, (QStringList{"SAVE", "NOTICE: later.csv and later.snirf" + MsgCreatedSuffix}));
    EXPECT_TRUE(IsHdf5File(QDir(DataFolder()).filePath("later.snirf")));
}

// The files for check_snirf.py.
TEST_F(SnirfBesideUpload, FilesForTheAnalysisTools) {
    const QString asked = qEnvironmentVariable("TQ580_SNIRF_SESSION_RECORDS");
    QDir target(asked.isEmpty() ? DataFolder() : asked);
    QDir().mkpath(target.path());
    for (const QString& name : target.entryList(QDir::Files)) target.remove(name);

    AcquisitionSession& s = StartOnStoragePage(Stored);
    UploadAndSaveAs(s, target.filePath("upload-session.csv"));
    ASSERT_TRUE(LogCleared());
    s.UploadOkButtonClicked();
    ASSERT_EQ(s.Store.SampleCount, Stored);
    ASSERT_TRUE(s.Store.HasRawIntensities);

    // The window's export, with a subject, remembered for the next one.
    prompts.fileNames.push_back(target.filePath("upload-session-window.snirf"));
    prompts.texts.push_back(QStringLiteral("S07"));
    s.ExportSnirfClicked();
    EXPECT_EQ(s.Exports.Subject, "S07");
    EXPECT_EQ(prompts.shown.last(), "NOTICE: upload-session-window.snirf" + MsgCreatedSuffix);

    // The record's raw intensities as the sensor sent them, for comparison.
    EXPECT_TRUE(WriteRawIntensities(s.Store, target.filePath("upload-session-raw.tsv")));
}

}  // namespace
