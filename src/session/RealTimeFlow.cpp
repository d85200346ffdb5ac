// The real-time measurement: "Start" and "End" of the real-time page, and
// the part of the end-of-discovery dispatcher that offers the sensors.
#include "data/RecordSummary.h"
#include "link/Commands.h"
#include "link/Connection.h"
#include "prompts/Prompts.h"
#include "session/AcquisitionSession.h"
#include "session/Diagnostics.h"
#include "session/StringTable.h"

void AcquisitionSession::ConnectButtonClicked() {
    FlowInput input(*this, "the Start/End click");
    if (!ClickAllowed("Start/End")) return;
    if (activity_ == SessionMode::Idle && !save_.active && !remotePass_.active) StartMeasurement();
    else if (ConnectButtonTag() == 1) EndMeasurement();
}

void AcquisitionSession::StartMeasurement() {
    ConfirmDiscard([this] {
        // Nothing else can begin while the question is open.
        if (activity_ == SessionMode::Idle && !save_.active) ScanForConnection();
    });
}

// From the click until the measurement runs or is called off, nothing may
// replace the record or leave the page: Open, the exports and the storage
// tab are off.
void AcquisitionSession::ScanForConnection() {
    EndReviewAndOverview();
    ChangeMode(SessionMode::ScanningForConnection);
    Controls.ConnectEnabled = false;
    Controls.OpenEnabled = false;
    Controls.StorageTabVisible = false;
    Supervision.LinkLost = false;
    Controls.Busy = true;
    view_->Render();

    // A discovery under way, or the watchdog's cancel of it, ends with the
    // event that continues this flow.
    if (DiscoveryWatchdogRunning) return;
    if (!StartDiscovery()) CallOffConnectionStart();
}

// The start did not happen: the page is as it was before the click.
void AcquisitionSession::CallOffConnectionStart() {
    ChangeMode(SessionMode::Idle);
    Controls.ConnectEnabled = true;
    Controls.OpenEnabled = true;
    Controls.StorageTabVisible = true;
    Controls.Busy = false;
    view_->Render();
}

ConnectionOffer AcquisitionSession::OfferConnection() const {
    ConnectionOffer offer;
    offer.deviceNames = ConnectableDeviceNames(Link.ScanDeviceList);
    offer.preselected = offer.deviceNames.indexOf(Link.TargetDeviceName);
    offer.rateItem = RateIndex - 1;
    return offer;
}

// The scan of a "Start" click has ended: the sensors are offered; the
// choice comes back as an answer.
void AcquisitionSession::ChooseSensorAndConnect() {
    SetBusy(false);
    ChangeMode(SessionMode::ChoosingSensor);
    Controls.ConnectEnabled = true;
    view_->Render();
    AskConnectionSettings(OfferConnection(), [this](const std::optional<ConnectionChoice>& choice) {
        if (activity_ != SessionMode::ChoosingSensor) return;
        if (!choice) {
            CallOffConnectionStart();
            return;
        }
        ConnectToChosenSensor(*choice);
    });
}

void AcquisitionSession::ConnectToChosenSensor(const ConnectionChoice& choice) {
    RateIndex = choice.rateItem + 1;
    Link.TargetDeviceName = choice.deviceName;

    const UserChoices page = view_->Choices();
    if (!OpenExternalInputForStart(page.realTimeAuxin, page.realTimePort)) {
        CallOffConnectionStart();
        return;
    }
    // The sensor must be found and its link asked for before the kept
    // record gives way: a refusal leaves it as it was, and says so.
    if (!Connect(Link, central_) || !SendStart(Link, central_, Supervision, RateIndex, choice.checkSensors)) {
        qCWarning(lcLink) << "no usable connection to" << Link.TargetDeviceName;
        CloseExternalInput();
        CallOffConnectionStart();
        prompts_.Error(MsgUnableToConnect.arg(Link.TargetDeviceName));
        return;
    }

    // The start has begun: only now does the kept record give way.
    ChangeMode(SessionMode::Connecting);
    connectWaitTicks_ = 0;
    Store.CheckSensorsMode = choice.checkSensors;
    Store.InitPointsEditable = false;
    Store.SequenceGap = false;
    Store.RecordRateIndex = RateIndex;
    Store.RecordDeviceId = Link.TargetDeviceName;
    view_->ShowConnectingMessage();
    Controls.ConnectEnabled = true;
    Controls.ResetEnabled = false;  // until the link is up: the sensor could not take "RS" before
    Controls.OpenEnabled = false;
    Controls.SaveEnabled = false;
    Controls.ClearInitPointsEnabled = false;
    Controls.StorageTabVisible = false;

    ResetRecordForMeasurement();
    if (Store.CheckSensorsMode) EndJournal();  // a sensor check is never saved
    else BeginJournal(JournalKind::Measurement);

    view_->ShowViewControlsFor(Store.CheckSensorsMode);
    view_->Render();
    view_->RepaintTrend();
}

void AcquisitionSession::ResetRecordForMeasurement() {
    Decoder.RxPacketLength = 0;
    ResetRecord(Store);
    Store.ReceivedDeviceId.clear();
    Store.DataSaved = true;
    Store.RecordFull = false;
    Supervision.PendingEvent = 0;
    heldMarks_.clear();
    eventMarksFullTold_ = false;
    // The message panel reads the newest sample's status: none of the old record's.
    for (CH_DATA_TYPE& channel : Store.CurrentSample.ch) channel.status = 0;
    ClearTrendViewForNewRecord();
}

// "End" ends the measurement before anything is asked: the sensor is let
// go, the record takes no further row or mark, and only then is the save
// offered, for exactly the rows there were at the click.
void AcquisitionSession::EndMeasurement() {
    EndReviewAndOverview();
    LetGoOfTheSensor();
    Supervision.SilenceTicks = 0;
    Supervision.PendingEvent = 0;
    if (!Store.CheckSensorsMode) PlaceHeldMarks(true);
    ChangeMode(SessionMode::EndingMeasurement);
    view_->HideMessagePanel();
    Controls.ConnectEnabled = false;
    Controls.ResetEnabled = false;

    if (!Store.CheckSensorsMode && Store.SampleCount != 0) {
        Controls.EditEnabled = true;
        Store.RecordDeviceId = Store.ReceivedDeviceId;
        Store.DataSaved = false;
        FollowJournal();  // the record as it ends, rows and header
        view_->ShowStatusText(RecordSummaryText(Store));
    } else {
        Controls.EditEnabled = false;  // a sensor check is never kept for saving
    }
    ShowRecordEndInView();
    view_->Render();
    view_->RepaintTrend();

    if (Store.DataSaved) {
        ShowMeasurementOver();
        return;
    }
    SaveRecordAndTell([this] { ShowMeasurementOver(); });
}

// Whatever the link is doing, it ends now: a scan for a lost sensor is
// called off, a link coming up is let go (and one that comes later too,
// the mode no longer waits for it), a link that is up gets its stop.
void AcquisitionSession::LetGoOfTheSensor() {
    const bool linkComing = activity_ == SessionMode::Connecting || activity_ == SessionMode::ReconnectLink;
    if (activity_ == SessionMode::ReconnectScan) central_.CancelDiscovery();
    SendStop(Link, central_, Supervision, clock_);
    if (linkComing && Link.ActiveDevice) central_.Disconnect(Link.ActiveDevice);
    Link.PendingCommand.clear();
    Link.DeviceLinkReady = false;
    connectWaitTicks_ = 0;
}

// The real-time page is free again, after an end or a start that failed.
void AcquisitionSession::ShowMeasurementOver() {
    ChangeMode(SessionMode::Idle);
    view_->HideMessagePanel();
    Controls.ConnectEnabled = true;
    Controls.ResetEnabled = false;
    Controls.Busy = false;
    Controls.OpenEnabled = true;
    Controls.SaveEnabled = !Store.DataSaved;
    Controls.StorageTabVisible = true;
    view_->Render();
}
