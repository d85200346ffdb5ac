#include <QDir>
#include <QFile>

#include "data/Sample.h"
#include "session/SimulatedSession.h"
#include "session/StringTable.h"
#include "view/ReadOuts.h"

namespace {

const QString Sensor1 = QStringLiteral("Tq580-123456-001");
const QString Sensor2 = QStringLiteral("Tq580-123456-002");
const QString Sibling = QStringLiteral("Tq570-654321-001");

using RealTimeFlow = SimulatedSessionTest;

TEST_F(RealTimeFlow, DialogOffersPairedSensorsOfBothModelsAndPreselectsTheLastOne) {
    AcquisitionSession& s = Start();
    s.Link.TargetDeviceName = Sensor2;
    prompts.connectionAnswers.push_back([&](const ConnectionOffer& offer) -> std::optional<ConnectionChoice> {
        offered = offer.deviceNames;
        preselected = offer.preselected >= 0 ? offer.deviceNames.value(offer.preselected) : QString();
        return std::nullopt;
    });
    s.ConnectButtonClicked();
    EXPECT_FALSE(s.Controls.ConnectEnabled);
    EXPECT_TRUE(s.Controls.Busy);
    EXPECT_EQ(s.Mode(), SessionMode::ScanningForConnection);
    EXPECT_EQ(central->scans, 1);
    Advance(5500);

    EXPECT_EQ(prompts.shown, QStringList{"CONNECT"});
    EXPECT_TRUE(offered.contains(Sensor1));
    EXPECT_TRUE(offered.contains(Sibling));
    for (const QString& name : offered) {
        EXPECT_TRUE(name.startsWith("Tq580-") || name.startsWith("Tq570-")) << name.toStdString();
        EXPECT_TRUE(simulator->Sensor(name)->Paired()) << name.toStdString();
    }
    EXPECT_EQ(offered.size(), 5);  // the unpaired sensor is left out
    EXPECT_EQ(preselected, Sensor2);
    // Cancel leaves the program idle.
    EXPECT_TRUE(s.Controls.ConnectEnabled);
    EXPECT_FALSE(s.Controls.Busy);
    EXPECT_EQ(s.ConnectButtonTag(), 0);
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
    EXPECT_TRUE(central->commands.isEmpty());
}

TEST_F(RealTimeFlow, EmptyListAllowsOnlyCancel) {
    SimulatedSensorSpec unpaired;
    unpaired.name = QStringLiteral("Tq580-999999-001");
    unpaired.paired = false;
    SimulatedSensorSpec otherKind;
    otherKind.name = QStringLiteral("Thermometer-1");
    AcquisitionSession& s = Start({unpaired, otherKind});
    prompts.connectionAnswers.push_back([&](const ConnectionOffer& offer) -> std::optional<ConnectionChoice> {
        EXPECT_TRUE(offer.deviceNames.isEmpty());
        return std::nullopt;
    });
    s.ConnectButtonClicked();
    Advance(5500);
    EXPECT_EQ(prompts.shown, QStringList{"CONNECT"});
    EXPECT_TRUE(s.Controls.ConnectEnabled);
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
}

TEST_F(RealTimeFlow, MeasurementStreamsIntoTheRecordAndEndsWithStopAndSummary) {
    AcquisitionSession& s = Start();
    ChooseInDialog(Sensor1, 0);
    s.ConnectButtonClicked();
    ASSERT_TRUE(AdvanceUntil([&] { return s.ConnectButtonTag() == 1; }, 6000));
    // The sensor is chosen and started; its link comes up a little later.
    EXPECT_EQ(s.Mode(), SessionMode::Connecting);
    const QStringList modes = TakeRenderedModes();
    ASSERT_FALSE(modes.isEmpty());
    EXPECT_EQ(modes.first(), "scanning for a connection");
    EXPECT_EQ(modes.last(), "connecting");
    EXPECT_EQ(view.connectingMessages, 1);
    EXPECT_EQ(view.viewControlsForSensorCheck, false);
    // The start leaves any review of the old record; a new record has no scroll bar yet.
    EXPECT_FALSE(view.lastTrendView.LiveReview);
    EXPECT_FALSE(view.lastTrendView.EntireView);
    EXPECT_FALSE(view.lastTrendView.ScrollVisible);
    EXPECT_TRUE(s.Controls.ConnectEnabled);
    EXPECT_FALSE(s.Controls.ResetEnabled) << "no link yet to take \"RS\"";
    EXPECT_FALSE(s.Controls.OpenEnabled);
    EXPECT_FALSE(s.Controls.SaveEnabled);
    EXPECT_FALSE(s.Controls.StorageTabVisible);
    EXPECT_FALSE(s.Controls.Busy);
    Advance(500);
    EXPECT_EQ(s.Mode(), SessionMode::Measuring);
    EXPECT_TRUE(s.Link.DeviceLinkReady);
    EXPECT_TRUE(s.Controls.ResetEnabled);
    ASSERT_GE(central->commands.size(), 2);
    EXPECT_TRUE(central->commands[0].startsWith(Sensor1 + " TS,"));
    EXPECT_EQ(central->CommandsTo(Sensor1), QStringList{"ST1"});

    const int before = s.Store.SampleCount;
    Advance(10000);
    const int streamed = s.Store.SampleCount - before;
    EXPECT_NEAR(streamed, 100, 3);  // 10 s at 100 ms
    for (int i = 0; i < s.Store.SampleCount; ++i) {
        ASSERT_EQ(s.Store.Samples[i].index, i);
        if (i > 0) {
            ASSERT_EQ(uint8_t(s.Store.Samples[i].seq), uint8_t(s.Store.Samples[i - 1].seq + 1));
        }
    }
    EXPECT_TRUE(view.LastStatusText().startsWith("DeviceID[ " + Sensor1 + " ]    Start[ 2026/12/10 "));
    EXPECT_TRUE(view.LastStatusText().endsWith(" ]    Rate[ 0.1sec ]\u3000Measuring..."));
    EXPECT_GT(view.repaints, 0);

    prompts.fileNames.push_back(QString());  // the save dialog, cancelled
    TakeRenderedModes();
    s.ConnectButtonClicked();
    // The end is a mode of its own while the save is offered; nothing was written.
    const QStringList endModes = TakeRenderedModes();
    EXPECT_EQ(endModes, QStringList({"ending a measurement", "idle"}));
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
    EXPECT_EQ(central->CommandsTo(Sensor1), QStringList({"ST1", "ED"}));
    EXPECT_TRUE(central->calls.contains("disconnect " + Sensor1));
    EXPECT_FALSE(s.Link.DeviceLinkReady);
    EXPECT_EQ(s.ConnectButtonTag(), 0);
    EXPECT_TRUE(s.Controls.StorageTabVisible);
    EXPECT_TRUE(s.Controls.ConnectEnabled);
    EXPECT_FALSE(s.Controls.ResetEnabled);
    EXPECT_TRUE(s.Controls.OpenEnabled);
    EXPECT_FALSE(s.Controls.Busy);
    EXPECT_FALSE(view.messagePanelShown);
    // The stopped record is shown at its end, scrollable over its length.
    EXPECT_TRUE(view.lastTrendView.ScrollVisible);
    EXPECT_EQ(view.lastTrendView.FirstShownSample, view.lastTrendView.ScrollMaximum);
    EXPECT_FALSE(s.Store.DataSaved);
    EXPECT_TRUE(s.Controls.SaveEnabled);
    EXPECT_TRUE(s.Controls.EditEnabled);
    EXPECT_EQ(s.Store.RecordDeviceId, Sensor1);
    EXPECT_TRUE(view.LastStatusText().endsWith(
        QStringLiteral(" ]    Rate[ 0.1sec ]    Count[ %1 ]").arg(s.Store.SampleCount)));
    EXPECT_TRUE(prompts.shown.contains("SAVE"));

    const int kept = s.Store.SampleCount;
    Advance(2000);
    EXPECT_EQ(s.Store.SampleCount, kept);  // nothing more arrives
}

TEST_F(RealTimeFlow, DiscardQuestionAndCancelledDialogKeepThePreviousRecord) {
    AcquisitionSession& s = Start();
    StartMeasurementOn(Sensor1);
    Advance(3000);
    prompts.fileNames.push_back(QString());
    s.ConnectButtonClicked();
    const int kept = s.Store.SampleCount;
    ASSERT_GT(kept, 0);
    ASSERT_FALSE(s.Store.DataSaved);

    prompts.answers.push_back(false);  // keep the unsaved data
    s.ConnectButtonClicked();
    EXPECT_TRUE(prompts.shown.contains("ASK: " + MsgDiscardUnsavedData));
    EXPECT_TRUE(s.Controls.ConnectEnabled);
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
    EXPECT_EQ(central->scans, 1);

    prompts.answers.push_back(true);  // discard, then cancel the dialog
    prompts.connectionAnswers.push_back([](const ConnectionOffer&) { return std::nullopt; });
    s.ConnectButtonClicked();
    EXPECT_EQ(s.Mode(), SessionMode::ScanningForConnection);
    Advance(5500);
    EXPECT_EQ(s.Store.SampleCount, kept);
    EXPECT_FALSE(s.Store.DataSaved);
    EXPECT_TRUE(s.Controls.ConnectEnabled);
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
}

TEST_F(RealTimeFlow, SensorGoneBeforeConnectStartsNothingAndSaysSo) {
    AcquisitionSession& s = Start();
    prompts.connectionAnswers.push_back([&](const ConnectionOffer&) -> std::optional<ConnectionChoice> {
        simulator->Sensor(Sensor1)->SetInRange(false);
        return ConnectionChoice{Sensor1, 0, false};
    });
    s.ConnectButtonClicked();
    Advance(5500);
    EXPECT_EQ(s.ConnectButtonTag(), 0);
    EXPECT_TRUE(s.Controls.ConnectEnabled);
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
    EXPECT_EQ(prompts.shown, (QStringList{"CONNECT", "ERROR: " + MsgUnableToConnect.arg(Sensor1)}));
    EXPECT_TRUE(central->CommandsTo(Sensor1).isEmpty());
}

// A sensor that never answers the connection leaves no "Connecting..."
// behind: the program returns to where a failed start leaves it, says so,
// and a link that came late would start nothing.
TEST_F(RealTimeFlow, ASensorThatNeverConnectsEndsTheStartAndSaysSo) {
    AcquisitionSession& s = Start();
    ChooseInDialog(Sensor1);
    s.ConnectButtonClicked();
    ASSERT_TRUE(AdvanceUntil([&] { return s.ConnectButtonTag() == 1; }, 6000));
    ASSERT_EQ(s.Mode(), SessionMode::Connecting);
    simulator->Sensor(Sensor1)->SetInRange(false);
    Advance(15000);
    EXPECT_EQ(s.Mode(), SessionMode::Connecting) << "the platform's own time-out comes first";
    Advance(6000);
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
    EXPECT_EQ(s.ConnectButtonTag(), 0);
    EXPECT_TRUE(s.Controls.ConnectEnabled);
    EXPECT_TRUE(s.Controls.StorageTabVisible);
    EXPECT_FALSE(view.messagePanelShown);
    EXPECT_EQ(prompts.shown.filter("ERROR:"), QStringList{"ERROR: " + MsgUnableToConnect.arg(Sensor1)});
    EXPECT_TRUE(s.Link.PendingCommand.isEmpty());
}

// A start that does not begin leaves the kept record as it was: still
// taking value-initialization points, still drawn as haemoglobin.
struct UnbegunStart {
    const char* name;
    bool checkSensors;
    bool sensorGone;   // chosen, then out of range before the connection
    bool cancelled;    // the dialog's Cancel
};

class StartThatDoesNotBegin : public SimulatedSessionTest, public ::testing::WithParamInterface<UnbegunStart> {};

TEST_P(StartThatDoesNotBegin, LeavesTheKeptRecordAsItWas) {
    const UnbegunStart& start = GetParam();
    AcquisitionSession& s = Start();
    s.Store.SampleCount = 100;  // an uploaded record, saved
    s.Store.DataSaved = true;
    s.Store.InitPointsEditable = true;
    s.Store.CheckSensorsMode = false;
    s.Store.SequenceGap = true;
    prompts.connectionAnswers.push_back([&](const ConnectionOffer&) -> std::optional<ConnectionChoice> {
        if (start.cancelled) return std::nullopt;
        if (start.sensorGone) simulator->Sensor(Sensor1)->SetInRange(false);
        return ConnectionChoice{Sensor1, 0, start.checkSensors};
    });
    s.ConnectButtonClicked();
    Advance(5500);
    EXPECT_EQ(s.ConnectButtonTag(), 0);
    EXPECT_EQ(s.Store.SampleCount, 100);
    EXPECT_TRUE(s.Store.InitPointsEditable);
    EXPECT_FALSE(s.Store.CheckSensorsMode);
    EXPECT_TRUE(s.Store.SequenceGap);
}

INSTANTIATE_TEST_SUITE_P(Starts, StartThatDoesNotBegin,
                         ::testing::Values(UnbegunStart{"DialogCancelled", false, false, true},
                                           UnbegunStart{"SensorCheckOnAGoneSensor", true, true, false},
                                           UnbegunStart{"MeasurementOnAGoneSensor", false, true, false}),
                         [](const ::testing::TestParamInfo<UnbegunStart>& info) { return std::string(info.param.name); });

// The message panel reads the newest sample's status; a sensor check that
// follows a record whose last sample asked for a restart shows none of it.
TEST_F(RealTimeFlow, ANewStartShowsNoMessageOfTheOldRecord) {
    AcquisitionSession& s = Start();
    s.Store.CurrentSample.ch[0].status = StatusRestartRequestA;
    s.Store.CurrentSample.batt = 3.0f;
    StartMeasurementOn(Sensor1, 0, true);
    ASSERT_EQ(s.Mode(), SessionMode::SensorCheck);
    EXPECT_NE(UpdateMessagePanel(true, s.Store, false).Text, MsgRestartDevice);
}

// "End" before the link is up calls the connection off: the sensor is
// never started and does not stay connected.
TEST_F(RealTimeFlow, EndWhileConnectingCallsTheConnectionOff) {
    AcquisitionSession& s = Start();
    ChooseInDialog(Sensor1);
    s.ConnectButtonClicked();
    ASSERT_TRUE(AdvanceUntil([&] { return s.ConnectButtonTag() == 1; }, 6000));
    ASSERT_EQ(s.Mode(), SessionMode::Connecting);
    s.ConnectButtonClicked();
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
    Advance(3000);
    EXPECT_TRUE(central->calls.contains("disconnect " + Sensor1));
    EXPECT_FALSE(central->CommandsTo(Sensor1).contains("ST1"));
    EXPECT_FALSE(simulator->Sensor(Sensor1)->Connected());
    EXPECT_FALSE(simulator->Sensor(Sensor1)->Streaming());
    EXPECT_EQ(s.Store.SampleCount, 0);
}

// Ext. Input ticked with a port that cannot open or with no port at all.
TEST_F(RealTimeFlow, ExternalInputPortThatCannotOpenRefusesTheStart) {
    AcquisitionSession& s = Start();
    for (const auto& [port, message] : RefusedExternalInputPorts()) {
        SCOPED_TRACE(port.toStdString());
        prompts.shown.clear();
        view.choices.realTimeAuxin = true;
        view.choices.realTimePort = port;
        StartMeasurementOn(Sensor1);
        EXPECT_TRUE(prompts.shown.contains("ERROR: " + message)) << prompts.shown.join('|').toStdString();
        EXPECT_EQ(s.ConnectButtonTag(), 0);
        EXPECT_EQ(s.Mode(), SessionMode::Idle);
        EXPECT_TRUE(central->CommandsTo(Sensor1).isEmpty());
    }
}

// Twenty silent ticks lose the link; the sensor is sought again, and the
// next packet of the new link ends the loss.
TEST_F(RealTimeFlow, SilenceLosesTheLinkWhichIsSoughtAgainUntilThePacketsReturn) {
    AcquisitionSession& s = Start();
    StartMeasurementOn(Sensor1);
    Advance(1000);
    simulator->Sensor(Sensor1)->SetSilent(true);
    Advance(9500);
    EXPECT_FALSE(s.Supervision.LinkLost);  // 20 silent ticks are not yet lost
    const int repaints = view.repaints;
    Advance(1100);
    EXPECT_TRUE(s.Supervision.LinkLost);
    EXPECT_GT(view.repaints, repaints);  // the trend shows the loss
    EXPECT_EQ(s.Mode(), SessionMode::ReconnectScan);
    EXPECT_EQ(s.ConnectButtonTag(), 1);  // the measurement goes on

    simulator->Sensor(Sensor1)->SetSilent(false);
    ASSERT_TRUE(AdvanceUntil([&] { return !s.Supervision.LinkLost; }, 15000));
    EXPECT_EQ(s.Mode(), SessionMode::Measuring);
    EXPECT_EQ(central->CommandsTo(Sensor1), QStringList({"ST1", "ST1"}));
}

TEST_F(RealTimeFlow, EndAfterALostLinkSendsNoStopButDisconnects) {
    AcquisitionSession& s = Start();
    StartMeasurementOn(Sensor1);
    Advance(1000);
    simulator->Sensor(Sensor1)->SetSilent(true);
    Advance(11000);
    ASSERT_TRUE(s.Supervision.LinkLost);
    prompts.fileNames.push_back(QString());
    s.ConnectButtonClicked();
    EXPECT_EQ(central->CommandsTo(Sensor1), QStringList{"ST1"});
    EXPECT_TRUE(central->calls.contains("disconnect " + Sensor1));
    EXPECT_FALSE(central->calls.contains("notify off " + Sensor1));
    Advance(500);
    EXPECT_FALSE(s.Supervision.LinkLost);
}

TEST_F(RealTimeFlow, SensorCheckEndsWithoutSummaryOrSaveOffer) {
    AcquisitionSession& s = Start();
    StartMeasurementOn(Sensor1, 2, true);
    EXPECT_EQ(central->CommandsTo(Sensor1), QStringList{"CK3"});
    EXPECT_EQ(view.viewControlsForSensorCheck, true);
    EXPECT_EQ(s.Mode(), SessionMode::SensorCheck);
    Advance(3000);
    EXPECT_GT(s.Store.SampleCount, 0);
    const QStringList statusTexts = view.statusTexts;
    s.ConnectButtonClicked();
    EXPECT_FALSE(prompts.shown.contains("SAVE"));
    EXPECT_TRUE(s.Store.DataSaved);
    EXPECT_FALSE(s.Controls.EditEnabled);
    EXPECT_FALSE(s.Controls.SaveEnabled);
    EXPECT_EQ(view.statusTexts, statusTexts);  // no summary of light levels
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
}

TEST_F(RealTimeFlow, MeasurementWithoutSamplesEndsWithoutSaveOffer) {
    AcquisitionSession& s = Start();
    simulator->Sensor(Sensor1)->SetSilent(true);
    StartMeasurementOn(Sensor1);
    Advance(2000);
    EXPECT_EQ(view.connectingMessages, 1);
    EXPECT_TRUE(view.messagePanelShown);
    EXPECT_EQ(s.Store.SampleCount, 0);
    s.ConnectButtonClicked();
    EXPECT_FALSE(view.messagePanelShown);
    EXPECT_TRUE(s.Store.DataSaved);
    EXPECT_FALSE(s.Controls.SaveEnabled);
    EXPECT_FALSE(prompts.shown.contains("SAVE"));
    EXPECT_EQ(central->CommandsTo(Sensor1), QStringList({"ST1", "ED"}));
}

TEST_F(RealTimeFlow, StartDuringAStorageScanWaitsForThatScan) {
    AcquisitionSession& s = Start();
    s.PageChanged(1);
    Advance(2000);
    ASSERT_EQ(central->scans, 1);
    s.PageChanged(0);
    ChooseInDialog(Sensor1);
    s.ConnectButtonClicked();
    EXPECT_EQ(central->scans, 1);  // no second scan
    EXPECT_EQ(s.Mode(), SessionMode::ScanningForConnection);
    Advance(3500);
    EXPECT_EQ(prompts.shown, QStringList{"CONNECT"});
    Advance(500);
    EXPECT_EQ(s.ConnectButtonTag(), 1);
    EXPECT_EQ(central->scans, 1);
}

TEST_F(RealTimeFlow, MeasuredRecordIsSavedAsCsvWithEveryRowAndMark) {
    AcquisitionSession& s = Start();
    StartMeasurementOn(Sensor1, 0);
    Advance(3000);
    s.MarkEvent(5);
    Advance(3000);
    const QString path = QDir(DataFolder()).filePath("measurement.csv");
    prompts.fileNames.push_back(path);
    s.ConnectButtonClicked();
    s.SettleDiskWrites();
    ASSERT_TRUE(prompts.shown.contains("NOTICE: measurement.csv" + MsgCreatedSuffix))
        << prompts.shown.join('|').toStdString();
    EXPECT_EQ(prompts.lastSaveFolder, DataFolder());
    EXPECT_EQ(s.SavedFileName, "measurement.csv");
    EXPECT_TRUE(s.Store.DataSaved);
    EXPECT_FALSE(s.Controls.SaveEnabled);
    EXPECT_TRUE(s.Controls.OpenEnabled);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    EXPECT_TRUE(lines[0].startsWith("S/N," + Sensor1.toLatin1() + ",RATE,100"));
    const int headerLines = 5;
    ASSERT_EQ(lines.size() - 1 - headerLines, s.Store.SampleCount);  // CR LF ends every line
    ASSERT_EQ(EventMarkCount(s.Store), 1);
    const int mark = s.Store.EventMarks[0].sample;
    for (int i = 0; i < s.Store.SampleCount; ++i) {
        const QList<QByteArray> fields = lines[headerLines + i].trimmed().split(',');
        ASSERT_EQ(fields.size(), 17);
        ASSERT_EQ(fields[1].toInt(), i);
        const MEAS_DATA_TYPE& sample = s.Store.Samples[i];
        ASSERT_NEAR(fields[8].toDouble(), sample.ch[0].oxhb, 0.00005);
        ASSERT_NEAR(fields[16].toDouble(), sample.ch[1].sto2 * 100, 0.005);
        ASSERT_EQ(fields[6], i == mark ? QByteArray("S5") : QByteArray());
    }
}

}  // namespace
