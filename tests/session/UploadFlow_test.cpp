#include <QDir>
#include <QFile>

#include "session/StorageSensors.h"
#include "session/StringTable.h"
#include "storage/DeviceGrid.h"
#include "storage/EventLog.h"

namespace {

using UploadFlow = StorageSessionTest;

TEST_F(UploadFlow, CompleteUploadIsMergedSavedAndClearedOnTheSensor) {
    AcquisitionSession& s = StartOnStoragePage(2500);
    view.choices.mergeAfterUpload = true;
    // The sensor logged its 2500 samples at 1 s until about now: a mark
    // logged on the PC 1000 s ago lands inside the record, on the sample of
    // its time; one from before the log does not.
    const double markTime = clock->Now() - 1000.0 / 86400;
    ASSERT_TRUE(AppendEventLog(EventLogPath(), clock->Now() - 3000.0 / 86400, 1));
    ASSERT_TRUE(AppendEventLog(EventLogPath(), markTime, 4));
    const QString path = QDir(DataFolder()).filePath("upload.csv");
    prompts.fileNames.push_back(path);

    s.UploadButtonClicked(RowOf(Waiting));
    EXPECT_EQ(s.CurrentPage, 0);
    EXPECT_EQ(view.realTimePageShownQuietly, 1);
    EXPECT_TRUE(s.Controls.Busy);
    ASSERT_TRUE(AdvanceUntilUploadSays(MsgUploading, 10000));
    EXPECT_EQ(s.Mode(), SessionMode::Uploading);
    EXPECT_FALSE(view.lastTrendView.ScrollVisible);  // the uploaded record starts without a scroll bar
    Advance(200);  // the connection comes up and the command goes out
    EXPECT_TRUE(s.UploadPanel.Visible);
    EXPECT_EQ(s.UploadOkButtonTag(), 1);
    EXPECT_FALSE(s.Controls.StorageTabVisible);
    EXPECT_FALSE(s.Controls.ConnectEnabled);
    EXPECT_FALSE(s.Controls.ViewControlsEnabled);
    EXPECT_FALSE(s.Controls.OpenEnabled);
    EXPECT_EQ(central->CommandsTo(Waiting), QStringList{"GS4"});

    ASSERT_TRUE(AdvanceUntilUploadSays(MsgUploadCompleted));
    EXPECT_EQ(s.UploadPanel.Line2, "2500/2500  100% Received.");
    EXPECT_EQ(s.UploadPanel.Line3, "upload.csv and upload.snirf" + MsgCreatedSuffix);
    EXPECT_EQ(s.UploadPanel.ProgressPercent, 100);
    EXPECT_TRUE(s.UploadPanel.OkEnabled);
    EXPECT_EQ(central->CommandsTo(Waiting), QStringList({"GS4", "@CLR"}));
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(s.UploadOkButtonTag(), 0);
    EXPECT_EQ(s.Mode(), SessionMode::UploadDone);  // until the panel is closed
    EXPECT_TRUE(s.Store.DataSaved);
    ASSERT_EQ(EventMarkCount(s.Store), 1);
    EXPECT_EQ(s.Store.EventMarks[0].code, 4);
    const int64_t elapsed = OleDateToMilliseconds(markTime) - OleDateToMilliseconds(s.Store.RecordStartTime);
    EXPECT_EQ(s.Store.EventMarks[0].sample, elapsed / 1000);

    s.UploadOkButtonClicked();
    EXPECT_FALSE(s.UploadPanel.Visible);
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
    // The record is shown at its end, scrollable over its length.
    EXPECT_TRUE(view.lastTrendView.ScrollVisible);
    EXPECT_EQ(view.lastTrendView.FirstShownSample, view.lastTrendView.ScrollMaximum);
    EXPECT_EQ(view.lastTrendView.ScrollMaximum, s.Store.SampleCount - s.View.ScreenSamples);
    EXPECT_TRUE(s.Controls.StorageTabVisible);
    EXPECT_TRUE(s.Controls.ConnectEnabled);
    EXPECT_TRUE(s.Controls.ViewControlsEnabled);
    EXPECT_TRUE(s.Controls.OpenEnabled);
    EXPECT_FALSE(s.Controls.SaveEnabled);
    EXPECT_TRUE(s.Store.InitPointsEditable);
    EXPECT_TRUE(s.Controls.ClearInitPointsEnabled);
    EXPECT_TRUE(s.Controls.EditEnabled);
    EXPECT_TRUE(view.LastStatusText().startsWith("DeviceID[ " + Waiting + " ]"));
    EXPECT_TRUE(view.LastStatusText().endsWith(" ]    Rate[ 1.0sec ]    Count[ 2500 ]"));
    EXPECT_EQ(view.viewControlsForSensorCheck, false);
    EXPECT_FALSE(s.Link.DeviceLinkReady);
    Advance(2000);
    EXPECT_EQ(simulator->Sensor(Waiting)->StoredSamples(), 0);
}

// The upload starts at the natural end of a scan; the watchdog then cancels
// a scan that no longer runs, and its end event must not open the
// real-time connection dialog over the upload.
// An upload replaces the record in memory: an unsaved one is not dropped
// without the question that Start and Open ask.
TEST_F(UploadFlow, AnUnsavedRecordIsNotReplacedWithoutAsking) {
    AcquisitionSession& s = StartOnStoragePage();
    s.Store.SampleCount = 50;
    s.Store.DataSaved = false;
    prompts.answers.push_back(false);
    s.UploadButtonClicked(RowOf(Waiting));
    EXPECT_EQ(prompts.shown, QStringList{"ASK: " + MsgDiscardUnsavedData});
    EXPECT_NE(s.Mode(), SessionMode::WaitingForUploadScan);
    EXPECT_EQ(s.CurrentPage, 1);
    EXPECT_EQ(s.Store.SampleCount, 50);
    Advance(12000);
    EXPECT_TRUE(central->CommandsTo(Waiting).isEmpty());

    prompts.answers.push_back(true);
    prompts.fileNames.push_back(QDir(DataFolder()).filePath("after-asking.csv"));
    s.UploadButtonClicked(RowOf(Waiting));
    EXPECT_EQ(s.Mode(), SessionMode::WaitingForUploadScan);
    ASSERT_TRUE(AdvanceUntilUploadSays(MsgUploading, 10000));
    Advance(200);
    EXPECT_EQ(central->CommandsTo(Waiting), QStringList{"GS4"});
}

// A sensor that never answers leaves no "Uploading storage data..." behind:
// the panel says it and offers OK, which returns to the real-time page.
TEST_F(UploadFlow, ASensorThatNeverConnectsEndsTheUploadAndSaysSo) {
    AcquisitionSession& s = StartOnStoragePage();
    s.UploadButtonClicked(RowOf(Waiting));
    ASSERT_TRUE(AdvanceUntil([&] { return s.Mode() == SessionMode::Uploading; }, 10000));
    simulator->Sensor(Waiting)->SetInRange(false);
    Advance(21000);
    EXPECT_EQ(s.UploadPanel.Line1, MsgUnableToConnect.arg(Waiting));
    EXPECT_EQ(s.UploadOkButtonTag(), 0);
    EXPECT_TRUE(s.UploadPanel.OkEnabled);
    EXPECT_FALSE(s.Store.UploadActive);
    s.UploadOkButtonClicked();
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
    EXPECT_TRUE(s.Controls.ConnectEnabled);
    EXPECT_TRUE(central->CommandsTo(Waiting).isEmpty());
}

TEST_F(UploadFlow, WatchdogAfterAnUploadsScanOpensNoDialog) {
    AcquisitionSession& s = StartOnStoragePage(2000);
    Advance(5300);  // 10.8 s: the scan started at 6 s ends by itself at 11 s
    prompts.fileNames.push_back(QString());
    s.UploadButtonClicked(RowOf(Waiting));
    ASSERT_TRUE(AdvanceUntilUploadSays(MsgUploadCompleted));
    Advance(2000);
    EXPECT_FALSE(prompts.shown.contains("CONNECT"));
    EXPECT_EQ(s.Mode(), SessionMode::UploadDone);
}

TEST_F(UploadFlow, CancelMidUploadOffersTheSaveButKeepsTheSensorsLog) {
    AcquisitionSession& s = StartOnStoragePage(5000);
    prompts.fileNames.push_back(QDir(DataFolder()).filePath("part.csv"));
    s.UploadButtonClicked(RowOf(Waiting));
    ASSERT_TRUE(AdvanceUntil([&] { return s.Store.SampleCount >= 1000; }, 60000));
    EXPECT_TRUE(s.UploadPanel.Line2.endsWith("% Received.")) << s.UploadPanel.Line2.toStdString();
    EXPECT_TRUE(s.UploadPanel.ProgressVisible);
    s.UploadOkButtonClicked();
    s.SettleDiskWrites();
    EXPECT_EQ(s.UploadPanel.Line1, MsgUploadAborted);
    EXPECT_TRUE(s.UploadPanel.Line2.endsWith("% Aborted.")) << s.UploadPanel.Line2.toStdString();
    EXPECT_EQ(s.UploadPanel.Line3, "part.csv and part.snirf" + MsgCreatedSuffix);
    EXPECT_EQ(s.UploadOkButtonTag(), 0);
    EXPECT_EQ(central->CommandsTo(Waiting), QStringList({"GS4", "GC"}));
    EXPECT_TRUE(s.Store.DataSaved);
    const int kept = s.Store.SampleCount;
    Advance(1000);
    EXPECT_EQ(s.Store.SampleCount, kept);
    s.UploadOkButtonClicked();
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
    EXPECT_EQ(simulator->Sensor(Waiting)->StoredSamples(), 5000);
}

TEST_F(UploadFlow, LostSamplesAbandonTheUploadWithoutSaving) {
    AcquisitionSession& s = StartOnStoragePage(3000);
    s.UploadButtonClicked(RowOf(Waiting));
    ASSERT_TRUE(AdvanceUntil([&] { return s.Store.SampleCount >= 300; }, 60000));
    simulator->Sensor(Waiting)->DropPackets(1);
    ASSERT_TRUE(AdvanceUntilUploadSays(MsgUploadCommunicationError, 60000));
    EXPECT_TRUE(s.UploadPanel.Line2.endsWith("% Aborted."));
    EXPECT_EQ(central->CommandsTo(Waiting), QStringList({"GS4", "GC"}));
    EXPECT_FALSE(prompts.shown.contains("SAVE"));
    EXPECT_TRUE(s.Store.DataSaved);
    EXPECT_TRUE(s.UploadPanel.Line3.isEmpty());
}

// The link goes during the upload, dropped or silent: the upload ends and
// says so, and the sensor keeps its log.
struct LostLinkCase {
    const char* name;
    bool silent;  // connected but sending nothing; otherwise out of range
};

class UploadLinkLost : public UploadFlow, public ::testing::WithParamInterface<LostLinkCase> {};

TEST_P(UploadLinkLost, EndsTheUploadAndTheSensorKeepsItsLog) {
    AcquisitionSession& s = StartOnStoragePage(20000);
    s.UploadButtonClicked(RowOf(Waiting));
    ASSERT_TRUE(AdvanceUntil([&] { return s.Store.SampleCount >= 497; }, 60000));
    if (GetParam().silent) simulator->Sensor(Waiting)->SetSilent(true);
    else simulator->Sensor(Waiting)->SetInRange(false);
    ASSERT_TRUE(AdvanceUntilUploadSays(MsgUploadLinkLost.arg(Waiting), 15000)) << s.UploadPanel.Line1.toStdString();
    EXPECT_EQ(s.Mode(), SessionMode::UploadDone);
    EXPECT_TRUE(s.UploadPanel.Line2.endsWith("% Aborted.")) << s.UploadPanel.Line2.toStdString();
    EXPECT_FALSE(central->CommandsTo(Waiting).contains("@CLR"));
    EXPECT_EQ(simulator->Sensor(Waiting)->StoredSamples(), 20000);
    s.UploadOkButtonClicked();
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
    EXPECT_FALSE(simulator->Sensor(Waiting)->Connected());
}

INSTANTIATE_TEST_SUITE_P(Links, UploadLinkLost,
                         ::testing::Values(LostLinkCase{"Dropped", false}, LostLinkCase{"Silent", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(UploadFlow, EmptyUploadSaysNoDataRecorded) {
    AcquisitionSession& s = StartOnStoragePage(3000);
    simulator->Sensor(Waiting)->FillStore(0, 4);
    s.UploadButtonClicked(RowOf(Waiting));  // the table still shows the count it advertised
    ASSERT_TRUE(AdvanceUntilUploadSays(MsgUploadCompleted, 20000));
    EXPECT_EQ(s.UploadPanel.Line2, MsgNoDataRecorded);
    EXPECT_FALSE(s.UploadPanel.ProgressVisible);
    EXPECT_FALSE(prompts.shown.contains("SAVE"));
    s.UploadOkButtonClicked();
    EXPECT_FALSE(s.Controls.EditEnabled);
    EXPECT_FALSE(s.Controls.ClearInitPointsEnabled);
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
}

// Only a sensor that waits with a stored record can be uploaded; any other
// row asks for nothing.
struct UploadRowCase {
    const char* name;
    QString sensor;  // the row of this sensor; empty: the row below
    int row = 0;
};

class UploadRefused : public StorageSessionTest, public ::testing::WithParamInterface<UploadRowCase> {};

TEST_P(UploadRefused, RowWithoutAStoredRecordUploadsNothing) {
    AcquisitionSession& s = StartOnStoragePage();
    const UploadRowCase& rowCase = GetParam();
    s.UploadButtonClicked(rowCase.sensor.isEmpty() ? rowCase.row : RowOf(rowCase.sensor));
    EXPECT_NE(s.Mode(), SessionMode::WaitingForUploadScan);
    EXPECT_FALSE(s.Controls.Busy);
    EXPECT_EQ(s.CurrentPage, 1);
    EXPECT_EQ(view.realTimePageShownQuietly, 0);
    Advance(7000);
    EXPECT_FALSE(s.UploadPanel.Visible);
    EXPECT_EQ(s.Mode(), SessionMode::StorageCycle);
    for (const QString& command : central->commands) EXPECT_FALSE(command.contains(" GS")) << command.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Rows, UploadRefused,
                         ::testing::Values(UploadRowCase{"HeaderRow", {}, 0},
                                           UploadRowCase{"SensorWithAnEmptyLog", WaitingEmpty},
                                           UploadRowCase{"SensorStillLogging", Running},
                                           UploadRowCase{"EmptyRow", {}, 4},
                                           UploadRowCase{"ParkingRow", {}, DeviceGridRows - 1}),
                         [](const ::testing::TestParamInfo<UploadRowCase>& info) { return std::string(info.param.name); });

}  // namespace
