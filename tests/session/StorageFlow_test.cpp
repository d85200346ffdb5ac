#include <QFile>

#include "session/StorageSensors.h"
#include "session/StringTable.h"
#include "support/PseudoTerminalPair.h"

namespace {

using StorageFlow = StorageSessionTest;

TEST_F(StorageFlow, TableListsThePairedSensorsInKeyOrder) {
    AcquisitionSession& s = StartOnStoragePage();
    EXPECT_EQ(s.Mode(), SessionMode::StorageCycle);
    ASSERT_EQ(OccupiedCount(s.Devices), 3);
    EXPECT_EQ(s.Devices[0].id, Waiting);
    EXPECT_EQ(s.Devices[1].id, WaitingEmpty);
    EXPECT_EQ(s.Devices[2].id, Running);
    EXPECT_TRUE(s.Devices[2].meas);
    EXPECT_FALSE(s.Devices[0].meas);
    EXPECT_EQ(s.Devices[0].count, 3000);
    EXPECT_EQ(s.Devices[1].count, 0);
    EXPECT_GT(view.gridRefreshes, 0);
}

// Entering the page takes the files away; leaving it gives them back as the
// record's state allows.
TEST_F(StorageFlow, StoragePageDisablesTheFileCommandsAndStartsOneScanWithTheWatchdog) {
    AcquisitionSession& s = Start();
    s.Store.DataSaved = false;
    s.Controls.StorageMessage = MsgProcessing;
    s.PageChanged(1);
    EXPECT_EQ(s.CurrentPage, 1);
    EXPECT_EQ(s.Mode(), SessionMode::StorageCycle);
    EXPECT_FALSE(s.Controls.SaveEnabled);
    EXPECT_FALSE(s.Controls.OpenEnabled);
    EXPECT_FALSE(s.Controls.EditEnabled);
    EXPECT_TRUE(s.Controls.StorageMessage.isEmpty());
    EXPECT_EQ(central->scans, 1);
    EXPECT_EQ(view.watchdogStarts, 1);
    EXPECT_TRUE(s.DiscoveryWatchdogRunning);

    s.PageChanged(0);
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
    EXPECT_TRUE(s.Controls.SaveEnabled);
    EXPECT_TRUE(s.Controls.OpenEnabled);
    EXPECT_TRUE(s.Controls.EditEnabled);
    // Back within the watchdog's time: the scan under way still serves the page.
    s.PageChanged(1);
    EXPECT_EQ(central->scans, 1);
    EXPECT_EQ(view.watchdogStarts, 1);
}

TEST_F(StorageFlow, PageChangesAreIgnoredWhileATabIsHidden) {
    AcquisitionSession& s = StartOnStoragePage();
    prompts.answers.push_back(true);
    s.StartButtonClicked();
    ASSERT_FALSE(s.Controls.RealTimeTabVisible);
    s.PageChanged(0);
    EXPECT_EQ(s.CurrentPage, 1);
    EXPECT_EQ(s.Mode(), SessionMode::EventLog);
}

TEST_F(StorageFlow, StorageCycleScansBackToBackAndTheWatchdogCutsEverySecondScan) {
    AcquisitionSession& s = Start();
    s.PageChanged(1);
    Advance(30000);
    // Scans of 5 s and cut scans of 1 s alternate: 0-5, 5-6, 6-11, 11-12, ...
    EXPECT_GE(central->scans, 9);
    EXPECT_LE(central->scans, 11);
    EXPECT_GE(central->calls.count("cancel"), 4);
    EXPECT_GT(OccupiedCount(s.Devices), 0);

    s.PageChanged(0);
    const int scans = central->scans;
    Advance(12000);
    EXPECT_EQ(central->scans, scans);  // the cycle ends after the scan under way
}

TEST_F(StorageFlow, UnuploadedDataQuestionCanCancelTheStart) {
    AcquisitionSession& s = StartOnStoragePage();
    prompts.answers.push_back(false);
    s.StartButtonClicked();
    EXPECT_TRUE(prompts.shown.contains("ASK: " + MsgUnuploadedDataLost));
    EXPECT_EQ(s.StartButtonTag(), 0);
    EXPECT_TRUE(s.Controls.RealTimeTabVisible);
    EXPECT_TRUE(s.Controls.StorageControlsEnabled);
    EXPECT_EQ(s.Mode(), SessionMode::StorageCycle);
    EXPECT_TRUE(view.logLines.isEmpty());
}

TEST_F(StorageFlow, WithNothingUnuploadedTheEventLogStartsWithoutAsking) {
    AcquisitionSession& s = StartOnStoragePage(0);
    s.StartButtonClicked();
    EXPECT_TRUE(prompts.shown.isEmpty());
    EXPECT_EQ(s.StartButtonTag(), 1);
}

TEST_F(StorageFlow, EventLogStartsWaitingSensorsLogsMarksAndSwitchesAllOffAtTheEnd) {
    AcquisitionSession& s = StartOnStoragePage();
    view.choices.storageRateItem = 2;      // 0.5sec
    view.choices.advertisedValueItem = 3;  // TOHb
    prompts.answers.push_back(true);
    s.StartButtonClicked();
    EXPECT_EQ(s.StartButtonTag(), 1);
    EXPECT_EQ(s.Mode(), SessionMode::EventLog);
    EXPECT_FALSE(s.Controls.RealTimeTabVisible);
    EXPECT_FALSE(s.Controls.StorageControlsEnabled);
    EXPECT_EQ(view.logClears, 1);
    ASSERT_EQ(view.logLines.size(), 1);
    EXPECT_TRUE(view.LastLogLine().endsWith("  Log started."));

    TakeRenderedModes();
    Advance(12000);  // the scan under way ends, the pass starts the waiting sensors
    EXPECT_EQ(central->CommandsTo(Waiting), QStringList{"@SS3,3"});
    EXPECT_EQ(central->CommandsTo(WaitingEmpty), QStringList{"@SS3,3"});
    EXPECT_TRUE(central->CommandsTo(Running).isEmpty());
    EXPECT_TRUE(simulator->Sensor(Waiting)->Logging());
    EXPECT_TRUE(TakeRenderedModes().contains("remote pass"));
    EXPECT_EQ(s.Mode(), SessionMode::EventLog);

    EXPECT_TRUE(s.MarkEvent(3));  // the key is the mark's alone
    Advance(500);
    EXPECT_TRUE(view.LastLogLine().endsWith("  Event3Started")) << view.LastLogLine().toStdString();
    QFile log(EventLogPath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll().mid(8, 4).toHex(), QByteArray("03000000"));

    Advance(12000);  // later passes send nothing twice
    EXPECT_EQ(central->CommandsTo(Waiting).size(), 1);

    s.StartButtonClicked();
    EXPECT_EQ(s.StartButtonTag(), 0);
    EXPECT_EQ(s.Mode(), SessionMode::StorageCycle);
    // Until the sensors are off, the page stays and keeps its table: no
    // other page, no upload, no new event log.
    EXPECT_FALSE(s.Controls.StartEnabled);
    EXPECT_FALSE(s.Controls.RealTimeTabVisible);
    EXPECT_FALSE(s.Controls.StorageControlsEnabled);
    EXPECT_EQ(s.Controls.StorageMessage, MsgProcessing);
    EXPECT_TRUE(view.LastLogLine().endsWith("  Log ended."));
    Advance(12000);
    for (const QString& name : {Waiting, WaitingEmpty, Running})
        EXPECT_EQ(central->CommandsTo(name).last(), "@SDN") << name.toStdString();
    EXPECT_FALSE(simulator->Sensor(Running)->Logging());
    EXPECT_TRUE(s.Controls.StartEnabled);
    EXPECT_TRUE(s.Controls.RealTimeTabVisible);
    EXPECT_TRUE(s.Controls.StorageControlsEnabled);
    EXPECT_TRUE(s.Controls.StorageMessage.isEmpty());
    EXPECT_FALSE(s.RemoteOffRequest);
}

// The question at Start covered the logs of the sensors in the table then; a
// waiting sensor first heard later keeps its un-uploaded log.
TEST_F(StorageFlow, ASensorFirstHeardLaterWithALogIsNotStarted) {
    const QString Late = QStringLiteral("Tq580-100000-004");
    AcquisitionSession& s = Start({StorageSensor(WaitingEmpty, 0), StorageSensor(Late, 700)});
    simulator->Sensor(Late)->SetInRange(false);
    s.PageChanged(1);
    Advance(5500);
    s.StartButtonClicked();
    ASSERT_EQ(s.StartButtonTag(), 1);
    EXPECT_TRUE(prompts.shown.isEmpty()) << "nothing to lose among the sensors seen";

    simulator->Sensor(Late)->SetInRange(true);
    Advance(24000);
    EXPECT_EQ(central->CommandsTo(WaitingEmpty), QStringList{"@SS1,0"});
    EXPECT_TRUE(central->CommandsTo(Late).isEmpty());
    EXPECT_FALSE(simulator->Sensor(Late)->Logging());
    EXPECT_EQ(view.logLines.filter(Late + " not started").size(), 1) << view.logLines.join('|').toStdString();
    EXPECT_TRUE(view.logLines.filter(Late).first().endsWith("it holds 700 samples not uploaded."));
}

TEST_F(StorageFlow, OffSwitchesTheRunningSensorsOffAtTheNextScansEnd) {
    AcquisitionSession& s = StartOnStoragePage();
    s.OffButtonClicked();
    EXPECT_TRUE(s.RemoteOffRequest);
    Advance(7000);
    EXPECT_EQ(central->CommandsTo(Running), QStringList{"@SDN"});
    EXPECT_TRUE(central->CommandsTo(Waiting).isEmpty());  // it does not log: nothing to switch off
    EXPECT_FALSE(simulator->Sensor(Running)->Logging());
    EXPECT_FALSE(s.RemoteOffRequest);
}

TEST_F(StorageFlow, EventBoxMarksGoToTheLogWhileTheEventLogRuns) {
    PseudoTerminalPair pair;
    if (!pair.failure.isEmpty()) GTEST_SKIP() << pair.failure.toStdString();
    AcquisitionSession& s = StartOnStoragePage();
    view.choices.storageAuxin = true;
    view.choices.storagePort = pair.nearPath;
    prompts.answers.push_back(true);
    s.StartButtonClicked();
    ASSERT_EQ(s.StartButtonTag(), 1);
    ASSERT_TRUE(s.WUni232c1.Connect());
    ASSERT_TRUE(pair.WriteFar(QByteArray("\x02" "E6\x03", 4)));
    ASSERT_TRUE(pair.WaitNearQueued(4, 2000));
    Advance(500);
    EXPECT_TRUE(view.LastLogLine().endsWith("  Event6Ended")) << view.LastLogLine().toStdString();
    QFile log(EventLogPath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll().mid(8, 4).toHex(), QByteArray("faffffff"));

    s.StartButtonClicked();  // the end closes the port
    EXPECT_FALSE(s.WUni232c1.Connect());
}

TEST_F(StorageFlow, EventLogPortThatCannotOpenRefusesTheStart) {
    AcquisitionSession& s = StartOnStoragePage(0);
    for (const auto& [port, message] : RefusedExternalInputPorts()) {
        SCOPED_TRACE(port.toStdString());
        prompts.shown.clear();
        view.choices.storageAuxin = true;
        view.choices.storagePort = port;
        s.StartButtonClicked();
        EXPECT_EQ(prompts.shown, QStringList{"ERROR: " + message});
        EXPECT_EQ(s.StartButtonTag(), 0);
        EXPECT_TRUE(view.logLines.isEmpty());
    }
}

TEST_F(StorageFlow, MarkWithoutARunningEventLogIsDropped) {
    AcquisitionSession& s = StartOnStoragePage();
    EXPECT_FALSE(s.MarkEvent(2));  // the key goes on to the focused control
    Advance(500);
    EXPECT_EQ(s.PendingEvent, 0);
    EXPECT_FALSE(QFile::exists(EventLogPath()));
    EXPECT_TRUE(view.logLines.isEmpty());
}

}  // namespace
