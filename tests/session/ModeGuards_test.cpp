// The mode decides what a click may start: nothing that replaces the record
// starts while another activity runs, and nothing is left waiting after it.
#include <QDir>
#include <QFile>

#include "data/CsvReader.h"
#include "session/StorageSensors.h"
#include "session/StringTable.h"
#include "storage/EventMerge.h"

namespace {

const QString Sensor1 = QStringLiteral("Tq580-123456-001");

class ModeGuards : public StorageSessionTest {
protected:
    // A measured record, ended without saving.
    void MeasureUnsaved(AcquisitionSession& s, int milliseconds = 2000, const QString& sensor = Sensor1) {
        StartMeasurementOn(sensor);
        Advance(milliseconds);
        prompts.fileNames.push_back(QString());
        s.ConnectButtonClicked();
        ASSERT_FALSE(s.Store.DataSaved);
        prompts.shown.clear();
    }
};

// "Start" during an upload's scan starts nothing: no dialog then, and none
// later when the storage page is visited again.
TEST_F(ModeGuards, StartDuringAnUploadsScanLeavesNothingWaiting) {
    AcquisitionSession& s = StartOnStoragePage(1000);
    prompts.fileNames.push_back(QDir(DataFolder()).filePath("upload.csv"));
    s.UploadButtonClicked(RowOf(Waiting));
    EXPECT_FALSE(s.Controls.ConnectEnabled);
    s.ConnectButtonClicked();
    EXPECT_EQ(s.Mode(), SessionMode::WaitingForUploadScan);
    ASSERT_TRUE(AdvanceUntilUploadSays(MsgUploadCompleted));
    s.UploadOkButtonClicked();
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
    s.PageChanged(1);
    Advance(7000);
    s.PageChanged(0);
    Advance(12000);
    EXPECT_FALSE(prompts.shown.contains("CONNECT")) << prompts.shown.join('|').toStdString();
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
}

// The storage page cannot be chosen while a save writes, so what the save
// leaves enabled fits the page in front.
TEST_F(ModeGuards, APageChangeIsRefusedWhileTheSaveWrites) {
    AcquisitionSession& s = Start();
    MeasureUnsaved(s);
    prompts.fileNames.push_back(QDir(DataFolder()).filePath("saved.csv"));
    s.SaveClicked();
    ASSERT_EQ(s.Mode(), SessionMode::Saving);
    EXPECT_FALSE(s.Controls.StorageTabVisible);
    EXPECT_FALSE(s.PageChanged(1));  // the user clicks the storage tab
    s.SettleDiskWrites();
    ASSERT_TRUE(s.Store.DataSaved);
    EXPECT_EQ(s.CurrentPage, 0);
    EXPECT_TRUE(s.Controls.OpenEnabled);
    EXPECT_TRUE(s.Controls.StorageTabVisible);
    s.PageChanged(1);
    EXPECT_FALSE(s.Controls.OpenEnabled);
    EXPECT_FALSE(s.Controls.EditEnabled);
}

// "Start" and an upload clicked during a save replace nothing: the file is
// whole, and "Start" works again afterwards.
TEST_F(ModeGuards, NothingReplacesTheRecordWhileItIsSaved) {
    AcquisitionSession& s = StartOnStoragePage(1000);
    s.PageChanged(0);
    Advance(1000);  // the storage page's scan ends
    MeasureUnsaved(s, 5000, WaitingEmpty);
    const int32_t samples = s.Store.SampleCount;
    const QString path = QDir(DataFolder()).filePath("whole.csv");
    prompts.fileNames.push_back(path);
    s.SaveClicked();
    ASSERT_EQ(s.Mode(), SessionMode::Saving);
    EXPECT_FALSE(s.Controls.ConnectEnabled);
    EXPECT_FALSE(s.Controls.StorageTabVisible);
    prompts.answers.push_back(true);  // would discard the record being saved
    s.ConnectButtonClicked();
    s.UploadButtonClicked(RowOf(Waiting));
    s.SettleDiskWrites();
    EXPECT_EQ(prompts.shown, (QStringList{"SAVE", "NOTICE: whole.csv" + MsgCreatedSuffix}));
    prompts.answers.clear();
    SampleStore saved;
    ASSERT_TRUE(ReadRecordFile(saved, path).recordReplaced);
    EXPECT_EQ(saved.SampleCount, samples);
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
    EXPECT_TRUE(s.Controls.ConnectEnabled);
    EXPECT_TRUE(s.Controls.StorageTabVisible);
    StartMeasurementOn(WaitingEmpty);
    EXPECT_EQ(s.Mode(), SessionMode::Measuring);
}

// The adapter refuses the connect: said at once, and the record kept.
TEST_F(ModeGuards, ARefusedConnectKeepsTheRecordAndSaysSoAtOnce) {
    AcquisitionSession& s = Start();
    MeasureUnsaved(s);
    const int32_t samples = s.Store.SampleCount;
    const int connecting = view.connectingMessages;
    central->refuseConnects = true;
    prompts.answers.push_back(true);  // discard it, for a new measurement
    StartMeasurementOn(Sensor1);
    EXPECT_EQ(prompts.shown, (QStringList{"ASK: " + MsgDiscardUnsavedData, "CONNECT",
                                          "ERROR: " + MsgUnableToConnect.arg(Sensor1)}));
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
    EXPECT_EQ(view.connectingMessages, connecting);
    EXPECT_EQ(s.Store.SampleCount, samples);
    EXPECT_FALSE(s.Store.DataSaved);
    EXPECT_TRUE(s.Controls.ConnectEnabled);
}

// A link that comes up after the program gave up on it is let go.
TEST_F(ModeGuards, ALateLinkIsLetGo) {
    AcquisitionSession& s = Start();
    ChooseInDialog(Sensor1);
    s.ConnectButtonClicked();
    ASSERT_TRUE(AdvanceUntil([&] { return s.Mode() == SessionMode::Connecting; }, 6000));
    simulator->Sensor(Sensor1)->SetInRange(false);  // the link never comes
    Advance(21000);
    ASSERT_EQ(s.Mode(), SessionMode::Idle);
    ASSERT_TRUE(prompts.shown.contains("ERROR: " + MsgUnableToConnect.arg(Sensor1)));
    const BleDevicePtr device = s.Link.ActiveDevice;
    ASSERT_TRUE(device);
    central->calls.clear();
    central->ReportConnected(device);  // the radio reports it after all
    QCoreApplication::processEvents();
    EXPECT_FALSE(s.Link.DeviceLinkReady);
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
    EXPECT_EQ(central->calls, QStringList{"disconnect " + Sensor1});
    EXPECT_TRUE(central->CommandsTo(Sensor1).isEmpty());
}

// The storage page's scans stopped (the adapter refused one): an upload
// starts a scan of its own.
TEST_F(ModeGuards, AnUploadScansForItselfWhenNoScanRuns) {
    AcquisitionSession& s = StartOnStoragePage(800);
    central->refuseScans = true;
    Advance(7000);  // the cycle's next scan cannot start: it stops
    central->refuseScans = false;
    const int scans = central->scans;
    prompts.fileNames.push_back(QDir(DataFolder()).filePath("own-scan.csv"));
    s.UploadButtonClicked(RowOf(Waiting));
    EXPECT_EQ(s.UploadPanel.Line1, MsgUploadWaitsForScan.arg(Waiting));
    EXPECT_TRUE(s.UploadButtonCancels());
    EXPECT_EQ(central->scans, scans + 1);
    EXPECT_TRUE(AdvanceUntilUploadSays(MsgUploadCompleted, 60000));
}

// A waiting upload can be called off; one whose scan never ends gives up.
TEST_F(ModeGuards, AWaitingUploadCanBeCalledOffAndGivesUp) {
    AcquisitionSession& s = StartOnStoragePage(800);
    central->loseScanEnds = true;
    s.UploadButtonClicked(RowOf(Waiting));
    Advance(3000);
    s.UploadOkButtonClicked();  // "Cancel"
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
    EXPECT_FALSE(s.UploadPanel.Visible);
    EXPECT_FALSE(s.Controls.Busy);
    EXPECT_TRUE(s.Controls.StorageTabVisible);

    s.PageChanged(1);
    Advance(1000);  // the sensors are heard again
    s.UploadButtonClicked(RowOf(Waiting));
    Advance(14000);
    EXPECT_EQ(s.Mode(), SessionMode::WaitingForUploadScan);
    Advance(2000);
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
    EXPECT_FALSE(s.UploadPanel.Visible);
    EXPECT_TRUE(prompts.shown.contains("ERROR: " + MsgUploadScanTimedOut.arg(Waiting))) << prompts.shown.join('|').toStdString();
    central->loseScanEnds = false;
    Advance(15000);
    EXPECT_TRUE(central->CommandsTo(Waiting).isEmpty());  // a later scan starts no upload
}

// The record keeps 100 marks; the 101st is told once, and the event log
// file still gets every mark.
TEST_F(ModeGuards, TheRecordsMarksBeingFullIsToldOnce) {
    AcquisitionSession& s = Start();
    StartMeasurementOn(Sensor1);
    Advance(1000);
    for (int i = 0; i < MaxEventMarks + 5; ++i) s.TakeOutsideMark(i % 2 ? -1 : 1);
    Advance(600);
    EXPECT_EQ(EventMarkCount(s.Store), MaxEventMarks);
    EXPECT_EQ(prompts.shown.filter("NOTICE: " + MsgEventMarksFull.arg(MaxEventMarks)).size(), 1);
    QList<EventLogRecord> records;
    ASSERT_TRUE(ReadEventLog(EventLogPath(), records, nullptr));
    EXPECT_EQ(records.size(), MaxEventMarks + 5);
}

}  // namespace
