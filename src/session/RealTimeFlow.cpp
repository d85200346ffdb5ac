// The real-time measurement: "Start" and "End" of the real-time page, and
// the part of the end-of-discovery dispatcher that offers the sensors. One
// Start measures up to four sensors together, on one timeline.
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

bool AcquisitionSession::Measuring() const { return ConnectButtonTag() == 1; }

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
        ConnectToChosenSensors(*choice);
    });
}

// Every chosen sensor must be found and its link asked for before the kept
// records give way: a refusal leaves them as they were, and says so.
void AcquisitionSession::ConnectToChosenSensors(const ConnectionChoice& choice) {
    RateIndex = choice.rateItem + 1;
    QStringList names{choice.deviceName};
    for (const QString& more : choice.moreDevices)
        if (!names.contains(more) && names.size() < MaxSensors) names << more;

    const UserChoices page = view_->Choices();
    if (!OpenExternalInputForStart(page.realTimeAuxin, page.realTimePort)) {
        CallOffConnectionStart();
        return;
    }
    // The first sensor's link is its own; the others get new sensors, which
    // replace those of the last measurement only once every link was asked for.
    std::vector<std::unique_ptr<Sensor>> more;
    for (int i = 1; i < names.size(); ++i)
        more.push_back(NewSensor());
    for (int i = 0; i < names.size(); ++i) {
        LinkState& link = i == 0 ? Link : more[static_cast<size_t>(i - 1)]->Link;
        SupervisionState& supervision = i == 0 ? Supervision : more[static_cast<size_t>(i - 1)]->Supervision;
        link.TargetDeviceName = names[i];
        link.ScanDeviceList = Link.ScanDeviceList;
        if (Connect(link, central_) && SendStart(link, central_, supervision, RateIndex, choice.checkSensors)) continue;
        qCWarning(lcLink) << "no usable connection to" << names[i];
        for (int asked = 0; asked < i; ++asked) {
            LinkState& askedLink = asked == 0 ? Link : more[static_cast<size_t>(asked - 1)]->Link;
            askedLink.PendingCommand.clear();
            central_.Disconnect(askedLink.ActiveDevice);
        }
        Link.TargetDeviceName = names.first();
        CloseExternalInput();
        CallOffConnectionStart();
        prompts_.Error(MsgUnableToConnect.arg(names[i]));
        return;
    }

    // The start has begun: only now do the kept records give way.
    KeepOnlyTheFirstSensor();
    for (auto& sensor : more) sensors_.push_back(std::move(sensor));
    ChangeMode(SessionMode::Connecting);
    timelineStart_ = 0;
    PendingEvent = 0;
    for (const auto& sensor : sensors_) {
        sensor->Phase = SensorPhase::Connecting;
        sensor->ConnectWaitTicks = 0;
        sensor->Store.CheckSensorsMode = choice.checkSensors;
        sensor->Store.InitPointsEditable = false;
        sensor->Store.RecordRateIndex = RateIndex;
        sensor->Store.RecordDeviceId = sensor->Name();
        sensor->BeginRecord();
        sensor->SampleDecoder.StartTimelineAt(0);
        if (sensor->Store.CheckSensorsMode) EndJournal(*sensor);  // a sensor check is never saved
        else BeginJournal(*sensor, JournalKind::Measurement);
    }
    ClearTrendViewForNewRecord();
    view_->ShowConnectingMessage();
    Controls.ConnectEnabled = true;
    Controls.ResetEnabled = false;  // until a link is up: the sensor could not take "RS" before
    Controls.OpenEnabled = false;
    Controls.SaveEnabled = false;
    Controls.ClearInitPointsEnabled = false;
    Controls.StorageTabVisible = false;

    view_->ShowViewControlsFor(Store.CheckSensorsMode);
    view_->RenderSensors();
    view_->Render();
    view_->RepaintTrend();
}

// The first sample of any sensor starts the measurement's timeline; the
// records of the others begin on it, the rows before their first sample
// without data.
void AcquisitionSession::FollowTimelineStart() {
    if (Store.CheckSensorsMode) return;
    for (const auto& sensor : sensors_)
        if (sensor->Store.SampleCount > 0) timelineStart_ = sensor->Store.RecordStartTime;
    if (timelineStart_ == 0) return;
    for (const auto& sensor : sensors_)
        if (sensor->Store.SampleCount == 0) sensor->SampleDecoder.StartTimelineAt(timelineStart_);
}

// "End" ends the measurement before anything is asked: the sensors are let
// go, the records take no further row or mark, and only then is the save
// offered, for exactly the rows there were at the click.
void AcquisitionSession::EndMeasurement() {
    if (!EndAcquisition()) {
        ShowMeasurementOver();
        return;
    }
    SaveRecordAndTell([this] { ShowMeasurementOver(); });
}

void AcquisitionSession::EndMeasurementSavingTo(const std::function<QString(const Sensor&)>& pathOf,
                                                std::function<void(bool saved)> done) {
    FlowInput input(*this, "the end of a measurement without a window");
    if (!Measuring()) return;
    if (!EndAcquisition()) {
        ShowMeasurementOver();
        done(true);
        return;
    }
    QList<std::pair<int, QString>> files;
    for (int i = 0; i < SensorCount(); ++i)
        if (SensorAt(i).Store.SampleCount != 0 && !SensorAt(i).Store.DataSaved) files.append({i, pathOf(SensorAt(i))});
    save_.then = [this, done](bool saved) {
        ShowMeasurementOver();
        done(saved);
    };
    SaveToChosenFiles(files);
}

bool AcquisitionSession::EndAcquisition() {
    EndReviewAndOverview();
    bool scanning = false;
    for (const auto& sensor : sensors_) {
        scanning = scanning || sensor->Phase == SensorPhase::Scanning;
        LetGoOfTheSensor(*sensor);
        if (!sensor->Store.CheckSensorsMode) PlaceHeldMarks(*sensor, true);
    }
    if (scanning) central_.CancelDiscovery();  // the search for a lost sensor ends here
    PendingEvent = 0;
    ChangeMode(SessionMode::EndingMeasurement);
    view_->HideMessagePanel();
    Controls.ConnectEnabled = false;
    Controls.ResetEnabled = false;

    bool anyRecord = false;
    for (const auto& sensor : sensors_) {
        SampleStore& store = sensor->Store;
        if (store.CheckSensorsMode || store.SampleCount == 0) continue;
        anyRecord = true;
        store.RecordDeviceId = store.ReceivedDeviceId;
        store.DataSaved = false;
        FollowJournal(*sensor);  // the record as it ends, rows and header
    }
    Controls.EditEnabled = anyRecord;  // a sensor check is never kept for saving
    if (anyRecord) view_->ShowStatusText(RecordSummaryText(Shown().Store));
    ShowRecordEndInView();
    view_->RenderSensors();
    view_->Render();
    view_->RepaintTrend();
    return anyRecord;
}

// Whatever the sensor's link is doing, it ends now: a link coming up is let
// go (and one that comes later too, the mode no longer waits for it), a link
// that is up gets its stop.
void AcquisitionSession::LetGoOfTheSensor(Sensor& sensor) {
    const bool linkComing = sensor.Phase == SensorPhase::Connecting || sensor.Phase == SensorPhase::Relinking;
    SendStop(sensor.Link, central_, sensor.Supervision, clock_);
    if (linkComing && sensor.Link.ActiveDevice) central_.Disconnect(sensor.Link.ActiveDevice);
    sensor.Link.PendingCommand.clear();
    sensor.Link.DeviceLinkReady = false;
    sensor.ConnectWaitTicks = 0;
    sensor.Supervision.SilenceTicks = 0;
    sensor.Phase = SensorPhase::Idle;
}

// The real-time page is free again, after an end or a start that failed.
void AcquisitionSession::ShowMeasurementOver() {
    for (const auto& sensor : sensors_) sensor->Phase = SensorPhase::Idle;
    ChangeMode(SessionMode::Idle);
    view_->HideMessagePanel();
    Controls.ConnectEnabled = true;
    Controls.ResetEnabled = false;
    Controls.Busy = false;
    Controls.OpenEnabled = true;
    Controls.SaveEnabled = AnyRecordUnsaved();
    Controls.StorageTabVisible = true;
    view_->RenderSensors();
    view_->Render();
}
