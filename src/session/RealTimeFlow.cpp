// The real-time measurement: "Start" and "End" of the real-time page, and
// the part of the end-of-discovery dispatcher that offers the sensors.
#include <QCoreApplication>

#include "data/RecordSummary.h"
#include "link/Commands.h"
#include "link/Connection.h"
#include "prompts/Prompts.h"
#include "session/AcquisitionSession.h"
#include "session/Diagnostics.h"
#include "session/StringTable.h"

void AcquisitionSession::ConnectButtonClicked() {
    if (Doing(SessionMode::Saving) || Doing(SessionMode::EndingMeasurement)) return;
    if (activity_ == SessionMode::Idle) StartMeasurement();
    else if (ConnectButtonTag() == 1) EndMeasurement();
}

void AcquisitionSession::StartMeasurement() {
    if (Store.SampleCount != 0 && !Store.DataSaved && !prompts_.AskYesNo(MsgDiscardUnsavedData)) return;
    if (activity_ != SessionMode::Idle) return;  // something began while the question was open

    EndReviewAndOverview();
    Controls.ConnectEnabled = false;
    ChangeMode(SessionMode::ScanningForConnection);
    Supervision.LinkLost = false;
    Controls.Busy = true;
    view_->Render();
    QCoreApplication::processEvents();

    // A discovery under way, or the watchdog's cancel of it, ends with the
    // event that continues this flow.
    if (DiscoveryWatchdogRunning || activity_ != SessionMode::ScanningForConnection) return;
    if (!StartDiscovery()) {
        ChangeMode(SessionMode::Idle);
        Controls.ConnectEnabled = true;
        SetBusy(false);
        view_->Render();
    }
}

ConnectionOffer AcquisitionSession::OfferConnection() const {
    ConnectionOffer offer;
    offer.deviceNames = ConnectableDeviceNames(Link.ScanDeviceList);
    offer.preselected = offer.deviceNames.indexOf(Link.TargetDeviceName);
    offer.rateItem = RateIndex - 1;
    return offer;
}

// The scan of a "Start" click has ended: offer the sensors, then connect.
// Runs after the end-of-discovery handler has returned, so the dialog's
// event loop does not run inside it.
void AcquisitionSession::ChooseSensorAndConnect() {
    if (activity_ != SessionMode::ChoosingSensor) return;
    Controls.ConnectEnabled = true;
    view_->Render();
    const std::optional<ConnectionChoice> choice = prompts_.ConnectionSettings(OfferConnection());
    if (!choice) {
        ChangeMode(SessionMode::Idle);
        view_->Render();
        return;
    }

    RateIndex = choice->rateItem + 1;
    Link.TargetDeviceName = choice->deviceName;

    const UserChoices page = view_->Choices();
    if (!OpenExternalInputForStart(page.realTimeAuxin, page.realTimePort)) {
        ChangeMode(SessionMode::Idle);
        view_->Render();
        return;
    }
    // The sensor must be found and its link asked for before the kept
    // record gives way: a refusal leaves it as it was, and says so.
    if (!Connect(Link, central_) ||
        !SendStart(Link, central_, Supervision, RateIndex, choice->checkSensors)) {
        qCWarning(lcLink) << "no usable connection to" << Link.TargetDeviceName;
        CloseExternalInput();
        ChangeMode(SessionMode::Idle);
        view_->Render();
        prompts_.Error(MsgUnableToConnect.arg(Link.TargetDeviceName));
        return;
    }

    // The start has begun: only now does the kept record give way.
    ChangeMode(SessionMode::Connecting);
    Store.CheckSensorsMode = choice->checkSensors;
    Store.InitPointsEditable = false;
    Store.SequenceGap = false;
    Store.RecordRateIndex = RateIndex;
    Store.RecordDeviceId = Link.TargetDeviceName;
    view_->ShowConnectingMessage();
    Controls.ResetEnabled = true;
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
    eventMarksFullTold_ = false;
    // The message panel reads the newest sample's status: none of the old record's.
    for (CH_DATA_TYPE& channel : Store.CurrentSample.ch) channel.status = 0;
    ClearTrendViewForNewRecord();
}

void AcquisitionSession::EndMeasurement() {
    Operation ending(*this, SessionMode::EndingMeasurement);
    EndReviewAndOverview();
    Controls.ConnectEnabled = false;
    Supervision.SilenceTicks = 0;
    Controls.Busy = true;
    view_->Render();
    QCoreApplication::processEvents();

    const bool linkComing = activity_ == SessionMode::Connecting || activity_ == SessionMode::ReconnectLink;
    SendStop(Link, central_, Supervision, clock_);
    if (linkComing && Link.ActiveDevice) {
        // Still connecting: the request is called off, or the sensor would
        // connect later, start streaming into nothing and stay connected.
        Link.PendingCommand.clear();
        central_.Disconnect(Link.ActiveDevice);
    }
    Link.DeviceLinkReady = false;

    if (!Store.CheckSensorsMode && Store.SampleCount != 0) {
        Controls.EditEnabled = true;
        Store.RecordDeviceId = Store.ReceivedDeviceId;
        Store.DataSaved = false;
        view_->ShowStatusText(RecordSummaryText(Store));
    } else {
        Controls.EditEnabled = false;  // a sensor check is never kept for saving
    }
    view_->Render();

    if (!Store.DataSaved) {
        SetBusy(false);
        SaveRecordAndTell();
    }
    Controls.SaveEnabled = !Store.DataSaved;
    ShowRecordEndInView();

    ShowMeasurementOver();
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
