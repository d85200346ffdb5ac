// Upload all: every paired sensor that waits in the storage page's table
// with a stored record is uploaded, several at once, each in a sensor object
// of its own, and saved without a question. The table shows where each
// stands; one that fails keeps its log while the others go on, and one
// message at the end tells what was saved and what was not. Each wait (the
// scan, a link, a header, the next packet, the disk) is moved on by the
// central's events and the disk's reports, and ends at the supervision
// tick's time-outs.
#include <QFileInfo>
#include <algorithm>

#include "link/Commands.h"
#include "link/Connection.h"
#include "link/LinkOperations.h"
#include "prompts/Prompts.h"
#include "session/AcquisitionSession.h"
#include "session/Diagnostics.h"
#include "session/StringTable.h"
#include "session/WaitLimits.h"

namespace {
// A link that carries packets but no header the decoder takes for this
// long (10 s) will not bring one.
constexpr int HeaderWaitTicks = 20;
}  // namespace

bool AcquisitionSession::UploadAllMayStart() const {
    return activity_ == SessionMode::Idle && CurrentPage == 1 && !save_.active && !remotePass_.active &&
           !RemoteOffRequest && !asking_;
}

void AcquisitionSession::UploadAllButtonClicked() {
    FlowInput input(*this, "the Upload all click");
    if (!ClickAllowed("Upload all")) return;
    if (UploadAllButtonCancels()) {
        CancelUploadAll();
        return;
    }
    if (!UploadAllMayStart()) return;
    // The table says now whether there is anything to upload; the scan's
    // end decides which sensors are.
    bool any = false;
    for (int i = 0; i < OccupiedCount(Devices); ++i) any = any || (!Devices[i].meas && Devices[i].count != 0);
    if (!any) {
        prompts_.Notice(MsgUploadAllNothing);
        return;
    }
    StartUploadAll(DataFolder, {});
}

void AcquisitionSession::UploadAllInto(const QString& folder, std::function<void(const UploadAllOutcome&)> done) {
    FlowInput input(*this, "Upload all without a window");
    if (!UploadAllMayStart()) {
        UploadAllOutcome refused;
        refused.folder = folder;
        refused.failure = QStringLiteral("Upload all cannot start: the storage page is not idle.");
        done(refused);
        return;
    }
    StartUploadAll(folder, std::move(done));
}

bool AcquisitionSession::UploadAllButtonCancels() const {
    return activity_ == SessionMode::WaitingForUploadAllScan || activity_ == SessionMode::UploadingAll;
}

bool AcquisitionSession::UploadAllEnabled() const {
    return UploadAllButtonCancels() || Controls.StorageControlsEnabled;
}

UploadAllProgress AcquisitionSession::UploadAllProgressOf(const QString& name) const {
    for (const UploadAllSensor& sensor : uploadAll_.outcome.sensors)
        if (sensor.name == name) return sensor.progress;
    return {};
}

// From the click on, nothing that could change the table, a record or a
// link starts: the event log, the single upload, the real-time page.
void AcquisitionSession::StartUploadAll(const QString& folder, std::function<void(const UploadAllOutcome&)> done) {
    uploadAll_ = {};
    uploadAll_.outcome.folder = folder;
    uploadAll_.done = std::move(done);
    uploadAll_.parallel = std::clamp(UploadParallel, 1, MaxUploadParallel);
    uploadAll_.merge = view_->Choices().mergeAfterUpload;
    ChangeMode(SessionMode::WaitingForUploadAllScan);
    OfferStoragePage(false);
    Controls.Busy = true;
    view_->Render();
    view_->RefreshDeviceGrid();
    // The scan under way ends with the event that goes on; the page's
    // cycle of scans may have stopped, and then this one starts it.
    if (!DiscoveryWatchdogRunning && !StartDiscovery()) {
        uploadAll_.outcome.failure = MsgUploadAllScanNotStarted;
        FinishUploadAll();
    }
}

// While Upload all runs the page offers its Cancel alone, and the real-time
// page waits.
void AcquisitionSession::OfferStoragePage(bool offered) {
    Controls.StorageControlsEnabled = offered;
    Controls.StartEnabled = offered;
    Controls.MergeEnabled = offered;
    Controls.RealTimeTabVisible = offered;
}

// The scan has ended: the sensors of the table that wait with samples are
// the ones uploaded. The table stands still until the end: no scan runs.
void AcquisitionSession::BeginUploadAll(const QList<BleDevicePtr>& devices) {
    UploadAllRun& run = uploadAll_;
    run.devices = devices;
    for (int i = 0; i < OccupiedCount(Devices); ++i)
        if (!Devices[i].meas && Devices[i].count != 0)
            run.outcome.sensors.append({Devices[i].id, {UploadAllStage::Queued}, {}, {}});
    if (run.merge && QFileInfo::exists(EventLogFileName)) {
        QString error;
        if (!ReadEventLog(EventLogFileName, run.eventLog, &error)) {
            qCWarning(lcStorage) << "Upload all: the event log could not be read:" << error;
            run.merge = false;
            run.outcome.mergeProblem = error;
        }
    }
    ChangeMode(SessionMode::UploadingAll);
    Controls.Busy = false;
    const qsizetype uploads = std::min<qsizetype>(run.parallel, run.outcome.sensors.size());
    run.uploads.resize(static_cast<size_t>(uploads));
    for (UploadAllRun::Upload& upload : run.uploads) upload.sensor = NewSensor();
    qCInfo(lcStorage) << "Upload all:" << run.outcome.sensors.size() << "sensors," << uploads << "at once";
    view_->Render();
    StartNextUploads();
}

void AcquisitionSession::QueueNextUploads() {
    if (uploadAll_.nextQueued) return;
    uploadAll_.nextQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            FlowInput input(*this, "the next uploads of Upload all");
            uploadAll_.nextQueued = false;
            if (activity_ == SessionMode::UploadingAll) StartNextUploads();
        },
        Qt::QueuedConnection);
}

// Each free upload takes the next sensor; when none runs and none is left,
// the run is over.
void AcquisitionSession::StartNextUploads() {
    UploadAllRun& run = uploadAll_;
    for (UploadAllRun::Upload& upload : run.uploads)
        while (upload.index < 0 && !run.cancelled && run.next < run.outcome.sensors.size())
            StartUploadOf(upload, run.next++);
    view_->RefreshDeviceGrid();
    const bool running = std::any_of(run.uploads.begin(), run.uploads.end(),
                                     [](const UploadAllRun::Upload& upload) { return upload.index >= 0; });
    if (!running) FinishUploadAll();
}

// Asks for the sensor's link with "GS4" to follow it; false, with the
// sensor marked failed, when it cannot be asked for.
bool AcquisitionSession::StartUploadOf(UploadAllRun::Upload& upload, qsizetype index) {
    UploadAllSensor& entry = uploadAll_.outcome.sensors[index];
    Sensor& sensor = *upload.sensor;
    sensor.Link = LinkState{};
    sensor.Link.TargetDeviceName = entry.name;
    sensor.Link.ScanDeviceList = uploadAll_.devices;
    sensor.Supervision = {};
    sensor.ConnectWaitTicks = 0;
    sensor.BeginRecord();
    sensor.Store.CheckSensorsMode = false;
    sensor.Store.UploadTotal = 0;
    upload.index = index;
    upload.headerWaitTicks = 0;
    upload.recordPath.clear();
    upload.snirfPath.clear();
    if (!Connect(sensor.Link, central_) || !SendGetLogStart(sensor.Link, central_, sensor.Supervision)) {
        UploadAllFailed(upload, UploadAllStage::Failed,
                        sensor.Link.ActiveDevice ? ReasonNoLink : ReasonNotInScan);
        return false;
    }
    sensor.Store.UploadActive = true;
    entry.progress = {UploadAllStage::Connecting};
    return true;
}

UploadAllRun::Upload* AcquisitionSession::UploadOfSensor(const Sensor& sensor) {
    for (UploadAllRun::Upload& upload : uploadAll_.uploads)
        if (upload.sensor.get() == &sensor) return &upload;
    return nullptr;
}

UploadAllSensor& AcquisitionSession::SensorOfUpload(const UploadAllRun::Upload& upload) {
    return uploadAll_.outcome.sensors[upload.index];
}

void AcquisitionSession::UploadAllLinkUp(UploadAllRun::Upload& upload) {
    SensorOfUpload(upload).progress = {UploadAllStage::Receiving, 0};
    view_->RefreshDeviceGrid();
}

// A link that ends while its record comes in, or before it was up.
void AcquisitionSession::UploadAllLinkEnded(UploadAllRun::Upload& upload) {
    Sensor& sensor = *upload.sensor;
    const bool wasUp = sensor.Link.DeviceLinkReady;
    sensor.Link.DeviceLinkReady = false;
    if (upload.index < 0 || !sensor.Store.UploadActive) return;  // saved, or ended already: the save goes on
    UploadAllFailed(upload, UploadAllStage::Failed, wasUp ? ReasonLinkLost : ReasonNoLink);
}

// The decoder took the header or more samples.
void AcquisitionSession::UploadAllProgressed(UploadAllRun::Upload& upload) {
    if (upload.index < 0) return;
    SampleStore& store = upload.sensor->Store;
    UploadAllSensor& entry = SensorOfUpload(upload);
    const int32_t received = store.SampleCount;
    const int32_t total = store.UploadTotal;
    if (total == 0) {
        store.UploadActive = false;
        entry.progress = {UploadAllStage::NoData};
        LetGoOfUpload(upload);
        return;
    }
    if (received >= total) {
        store.UploadActive = false;
        SaveUploadAllRecord(upload);
        return;
    }
    if (store.SequenceGap) {
        UploadAllFailed(upload, UploadAllStage::Failed, ReasonSamplesLost);
        return;
    }
    const int percent = UploadPercent(store);
    if (entry.progress.stage == UploadAllStage::Receiving && entry.progress.percent == percent) return;
    entry.progress = {UploadAllStage::Receiving, percent};
    view_->RefreshDeviceGrid();
}

// The time-outs: a scan that does not end, a link that does not come up, a
// sensor that falls silent, a header that does not come.
void AcquisitionSession::FollowUploadAll() {
    UploadAllRun& run = uploadAll_;
    if (activity_ == SessionMode::WaitingForUploadAllScan && ++run.scanWaitTicks > UploadScanWaitTicks) {
        qCWarning(lcStorage) << "Upload all: no scan ended";
        run.outcome.failure = MsgUploadAllScanTimedOut;
        FinishUploadAll();
        return;
    }
    if (activity_ != SessionMode::UploadingAll) return;
    for (UploadAllRun::Upload& upload : run.uploads) {
        Sensor& sensor = *upload.sensor;
        if (upload.index < 0 || !sensor.Store.UploadActive) continue;
        if (!sensor.Link.DeviceLinkReady) {
            if (++sensor.ConnectWaitTicks > ConnectWaitTicks) UploadAllFailed(upload, UploadAllStage::Failed, ReasonNoLink);
        } else if (++sensor.Supervision.SilenceTicks > SilentTicksBeforeLost) {
            UploadAllFailed(upload, UploadAllStage::Failed, ReasonSilent);
        } else if (sensor.Store.UploadTotal == 0 && ++upload.headerWaitTicks > HeaderWaitTicks) {
            UploadAllFailed(upload, UploadAllStage::Failed, ReasonBadHeader);
        }
    }
}

void AcquisitionSession::UploadAllFailed(UploadAllRun::Upload& upload, UploadAllStage stage, const QString& reason) {
    Sensor& sensor = *upload.sensor;
    UploadAllSensor& entry = SensorOfUpload(upload);
    qCWarning(lcStorage) << "Upload all:" << entry.name << "not saved:" << reason;
    // A sensor still sending is told to stop; it keeps its log either way.
    if (sensor.Store.UploadActive) SendGetLogCancel(sensor.Link, central_, clock_);
    sensor.Store.UploadActive = false;
    entry.progress = {stage};
    entry.reason = reason;
    LetGoOfUpload(upload);
}

// The link goes, or its connect is called off, and the upload is free for
// the next sensor.
void AcquisitionSession::LetGoOfUpload(UploadAllRun::Upload& upload) {
    LinkState& link = upload.sensor->Link;
    if (link.DeviceLinkReady) Disconnect(link, central_);
    else if (link.ActiveDevice) central_.Disconnect(link.ActiveDevice);
    link.PendingCommand.clear();
    upload.index = -1;
    view_->RefreshDeviceGrid();
    QueueNextUploads();
}

// Cancel: nothing more comes in and nothing unsaved is cleared. A record
// whose files are being written is finished: it is saved.
void AcquisitionSession::CancelUploadAll() {
    UploadAllRun& run = uploadAll_;
    run.cancelled = true;
    if (activity_ == SessionMode::WaitingForUploadAllScan) {
        // The scan under way ends, and the page's cycle goes on from there.
        run.outcome.failure = MsgUploadAllCalledOff;
        FinishUploadAll();
        return;
    }
    for (qsizetype i = run.next; i < run.outcome.sensors.size(); ++i)
        run.outcome.sensors[i].progress = {UploadAllStage::Stopped}, run.outcome.sensors[i].reason = ReasonCancelled;
    run.next = run.outcome.sensors.size();
    for (UploadAllRun::Upload& upload : run.uploads)
        if (upload.index >= 0 && upload.sensor->Store.UploadActive)
            UploadAllFailed(upload, UploadAllStage::Stopped, ReasonCancelled);
    QueueNextUploads();
}

void AcquisitionSession::FinishUploadAll() {
    UploadAllRun& run = uploadAll_;
    const bool began = activity_ == SessionMode::UploadingAll;
    // Called off before it began: the user knows, and nothing happened.
    const bool quiet = run.cancelled && !began;
    run.uploads.clear();
    ChangeMode(SessionMode::Idle);
    OfferStoragePage(true);
    Controls.Busy = false;
    view_->Render();
    view_->RefreshDeviceGrid();
    qCInfo(lcStorage) << "Upload all ended:" << run.outcome.Names(UploadAllStage::Saved).size() << "of"
                      << run.outcome.sensors.size() << "saved";
    const std::function<void(const UploadAllOutcome&)> done = std::move(run.done);
    run.done = {};
    if (done) done(run.outcome);
    else if (quiet) return;
    else if (run.outcome.AllSaved()) NoticeAfterHandler(UploadAllMessage(run.outcome));
    else ErrorAfterHandler(UploadAllMessage(run.outcome));
    // The page's scans were held while the sensors were uploaded.
    if (began) ContinueStorageCycle();
}

// The program closes: uploads under way stop, and their sensors keep their logs.
void AcquisitionSession::StopUploadAllForClosing() {
    for (UploadAllRun::Upload& upload : uploadAll_.uploads) {
        Sensor& sensor = *upload.sensor;
        if (upload.index < 0 || !sensor.Store.UploadActive) continue;
        sensor.Store.UploadActive = false;
        SendGetLogCancel(sensor.Link, central_, clock_);
        Disconnect(sensor.Link, central_);
    }
}
