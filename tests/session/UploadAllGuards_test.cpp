// What Upload all refuses while it runs, Cancel, closing, and its waits
// that end by themselves.
#include <QDir>

#include "session/StringTable.h"
#include "session/UploadAllSession.h"

namespace {

using UploadAllGuards = UploadAllTest;

// Nothing that could change the table, a record or a link starts while
// Upload all runs, and the record in memory, unsaved, is left as it is.
TEST_F(UploadAllGuards, WhatCouldChangeTheTableTheRecordsOrTheLinksIsRefused) {
    AcquisitionSession& s = StartOnStoragePage(FourStored());
    s.Store.SampleCount = 50;  // a record in memory, not saved
    s.Store.DataSaved = false;
    ASSERT_TRUE(s.ExportAllowed());
    ASSERT_TRUE(s.UploadAllEnabled());
    s.UploadParallel = 1;
    s.UploadAllButtonClicked();
    ASSERT_TRUE(AdvanceUntil([&] { return s.UploadAllProgressOf(SensorName(1)).percent >= 10; }, 30000));
    EXPECT_EQ(s.Mode(), SessionMode::UploadingAll);
    EXPECT_TRUE(s.UploadAllButtonCancels());
    EXPECT_TRUE(s.UploadAllEnabled());
    EXPECT_FALSE(s.Controls.StorageControlsEnabled);  // the single Upload among them
    EXPECT_FALSE(s.Controls.StartEnabled);
    EXPECT_FALSE(s.Controls.MergeEnabled);
    EXPECT_FALSE(s.Controls.RealTimeTabVisible);
    EXPECT_FALSE(s.ExportAllowed());
    const int rows = OccupiedCount(s.Devices);

    EXPECT_FALSE(s.PageChanged(0));
    s.StartButtonClicked();
    s.UploadButtonClicked(RowOf(SensorName(3)));
    s.OpenClicked();
    s.ExportSnirfClicked();
    s.SaveClicked();
    EXPECT_TRUE(prompts.shown.isEmpty()) << prompts.shown.join('|').toStdString();
    EXPECT_EQ(s.Mode(), SessionMode::UploadingAll);
    EXPECT_EQ(s.CurrentPage, 1);
    Advance(7000);  // past the watchdog of the scan that began it: the table is not purged
    EXPECT_EQ(OccupiedCount(s.Devices), rows);

    ASSERT_TRUE(AdvanceUntilUploadAllEnds());
    EXPECT_EQ(s.UploadAllSoFar().Names(UploadAllStage::Saved).size(), 4);
    EXPECT_EQ(s.Store.SampleCount, 50);
    EXPECT_FALSE(s.Store.DataSaved);
    EXPECT_TRUE(s.Controls.StorageControlsEnabled);
    EXPECT_TRUE(s.Controls.StartEnabled);
    EXPECT_TRUE(s.Controls.MergeEnabled);
    EXPECT_TRUE(s.Controls.RealTimeTabVisible);
    EXPECT_TRUE(s.ExportAllowed());
    EXPECT_EQ(s.Mode(), SessionMode::StorageCycle);
    Advance(6000);  // the page scans again: the sensors are heard, cleared
    EXPECT_EQ(s.Devices[RowOf(SensorName(1)) - 1].count, 0);
}

// Cancel stops every upload and starts no other; what was saved stays
// saved, and no sensor whose record is not saved is cleared.
TEST_F(UploadAllGuards, CancelStopsAllAndClearsNothingUnsaved) {
    QList<SimulatedSensorSpec> sensors = FourStored();
    sensors[0].storedSamples = 60;  // done before the others are halfway
    AcquisitionSession& s = StartOnStoragePage(sensors);
    s.UploadParallel = 2;
    s.UploadAllButtonClicked();
    ASSERT_TRUE(AdvanceUntil([&] { return s.UploadAllProgressOf(SensorName(2)).percent >= 50; }, 30000));
    ASSERT_EQ(s.UploadAllProgressOf(SensorName(1)).stage, UploadAllStage::Saved);
    ASSERT_EQ(s.UploadAllProgressOf(SensorName(3)).stage, UploadAllStage::Receiving);
    s.UploadAllButtonClicked();  // "Cancel"
    ASSERT_TRUE(AdvanceUntilUploadAllEnds(5000));
    for (int number : {2, 3}) {
        EXPECT_EQ(s.UploadAllProgressOf(SensorName(number)).stage, UploadAllStage::Stopped) << number;
        EXPECT_EQ(central->CommandsTo(SensorName(number)), (QStringList{"GS4", "GC"})) << number;
        EXPECT_EQ(simulator->Sensor(SensorName(number))->StoredSamples(), 600) << number;
    }
    EXPECT_EQ(s.UploadAllProgressOf(SensorName(4)).stage, UploadAllStage::Stopped);
    EXPECT_TRUE(central->CommandsTo(SensorName(4)).isEmpty());
    EXPECT_EQ(simulator->Sensor(SensorName(1))->StoredSamples(), 0);
    EXPECT_EQ(LinksUp(), 0);
    const QString message = prompts.shown.last();
    EXPECT_TRUE(message.startsWith("ERROR: " + MsgUploadAllSaved.arg(1).arg(4).arg(QDir::toNativeSeparators(DataFolder())))) << message.toStdString();
    EXPECT_TRUE(message.contains(SensorName(4) + ": " + ReasonCancelled));
}

// Closing asks first; No goes on, Yes stops the uploads and the sensors keep their logs.
TEST_F(UploadAllGuards, ClosingAsksFirst) {
    AcquisitionSession& s = StartOnStoragePage(FourStored());
    s.UploadAllButtonClicked();
    ASSERT_TRUE(AdvanceUntil([&] { return s.UploadAllProgressOf(SensorName(1)).percent >= 10; }, 30000));
    prompts.answers.push_back(false);
    EXPECT_FALSE(s.MayClose());
    EXPECT_EQ(prompts.shown, QStringList{"ASK: " + MsgExitDuringUploadAll});
    EXPECT_EQ(s.Mode(), SessionMode::UploadingAll);
    prompts.answers.push_back(true);
    EXPECT_TRUE(s.MayClose());
    s.Closing();
    for (int number = 1; number <= 3; ++number)
        EXPECT_EQ(central->CommandsTo(SensorName(number)), (QStringList{"GS4", "GC"})) << number;
    Advance(1000);
    EXPECT_EQ(LinksUp(), 0);
}

// With nothing to upload, the click says so at once and nothing starts.
TEST_F(UploadAllGuards, NothingToUploadIsSaidAtOnce) {
    AcquisitionSession& s = StartOnStoragePage({StorageSensor(SensorName(1), 0), StorageSensor(SensorName(2), 50, true)});
    s.UploadAllButtonClicked();
    EXPECT_EQ(prompts.shown, QStringList{"NOTICE: " + MsgUploadAllNothing});
    EXPECT_EQ(s.Mode(), SessionMode::StorageCycle);
}

// Cancel during the scan calls Upload all off without a word; a scan that
// never ends gives up after 15 s and says so.
TEST_F(UploadAllGuards, TheWaitForTheScanCanBeCalledOffAndGivesUp) {
    AcquisitionSession& s = StartOnStoragePage(FourStored());
    central->loseScanEnds = true;
    s.UploadAllButtonClicked();
    Advance(1000);
    s.UploadAllButtonClicked();  // "Cancel" while the scan runs
    EXPECT_EQ(s.Mode(), SessionMode::StorageCycle);
    EXPECT_FALSE(s.Controls.Busy);
    Advance(100);
    EXPECT_TRUE(prompts.shown.isEmpty());

    s.UploadAllButtonClicked();
    Advance(14000);
    EXPECT_EQ(s.Mode(), SessionMode::WaitingForUploadAllScan);
    Advance(2000);
    EXPECT_EQ(s.Mode(), SessionMode::StorageCycle);
    EXPECT_EQ(prompts.shown, QStringList{"ERROR: " + MsgUploadAllScanTimedOut});
    EXPECT_TRUE(s.Controls.StorageControlsEnabled);
    for (int number = 1; number <= 4; ++number) EXPECT_TRUE(central->CommandsTo(SensorName(number)).isEmpty());
}

}  // namespace
