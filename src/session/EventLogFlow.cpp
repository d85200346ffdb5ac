// Storage mode's event log: the "Start"/"End" button of the storage page,
// and the scanning cycle that runs a remote pass at the end of each
// discovery.
#include "data/Clock.h"
#include "data/OleDate.h"
#include "prompts/Prompts.h"
#include "session/AcquisitionSession.h"
#include "session/Diagnostics.h"
#include "session/StringTable.h"

void AcquisitionSession::StartButtonClicked() {
    FlowInput input(*this, "the storage page's Start/End click");
    if (!ClickAllowed("the event log's Start/End")) return;
    if (activity_ == SessionMode::EventLog) {
        FinishEventLog();
        return;
    }
    if (activity_ != SessionMode::Idle || save_.active || remotePass_.active || RemoteOffRequest) return;

    // The question covers the logs of the sensors in the table now; the
    // table may change while it is open, the answer does not.
    QSet<QString> sensors;
    bool unuploaded = false;
    for (int i = 0; i < OccupiedCount(Devices); ++i) {
        sensors.insert(Devices[i].id);
        if (!Devices[i].meas && Devices[i].count != 0) unuploaded = true;
    }
    if (!unuploaded) {
        StartEventLog(sensors);
        return;
    }
    AskOkCancel(MsgUnuploadedDataLost, [this, sensors](bool ok) {
        if (ok) StartEventLog(sensors);
    });
}

void AcquisitionSession::StartEventLog(const QSet<QString>& sensorsAsked) {
    if (activity_ != SessionMode::Idle || save_.active || remotePass_.active) return;
    const UserChoices page = view_->Choices();
    if (!OpenExternalInputForStart(page.storageAuxin, page.storagePort)) return;

    sensorsAtStart_ = sensorsAsked;
    skippedSensors_.clear();
    uploadAll_.outcome = {};  // the rows say how the sensors log from now on
    for (auto& entry : Devices) entry.wf = false;
    ChangeMode(SessionMode::EventLog);
    Controls.RealTimeTabVisible = false;
    Controls.StorageControlsEnabled = false;
    view_->Render();
    view_->ClearLog();
    view_->AppendLogLine(FormatClockTime(clock_.Now()) + QStringLiteral("  Log started."));
}

// The event log ends; the running sensors are switched off at the end of
// the next scan. Until then the storage page stays, and nothing that would
// change its table or the link starts: the real-time tab, the upload and the
// event log's own button wait for the off pass.
void AcquisitionSession::FinishEventLog() {
    CloseExternalInput();
    ChangeMode(SessionMode::Idle);
    if (remotePass_.active && !remotePass_.off) {
        // The starts still to come are not sent any more.
        remotePass_.targets.clear();
    }
    view_->AppendLogLine(FormatClockTime(clock_.Now()) + QStringLiteral("  Log ended."));
    Controls.StartEnabled = false;
    RemoteOffRequest = true;
    Controls.StorageMessage = MsgProcessing;
    view_->Render();
    // The cycle may have stopped: the off pass needs a scan to end.
    if (!DiscoveryWatchdogRunning && !remotePass_.active && !StartDiscovery()) ContinueStorageCycle();
}

void AcquisitionSession::OffButtonClicked() {
    FlowInput input(*this, "the Remote OFF click");
    RemoteOffRequest = true;
}

// The storage page's scanning cycle: one scan after the other, with a
// remote pass in between when one is due.
void AcquisitionSession::StorageScanEnded(const QList<BleDevicePtr>& devices) {
    Link.ScanDeviceList = devices;
    if (activity_ == SessionMode::WaitingForUploadAllScan) {
        BeginUploadAll(devices);
        return;
    }
    if (!BeginRemotePass()) ContinueStorageCycle();
}

void AcquisitionSession::ContinueStorageCycle() {
    ClearSeenFlags(Devices);
    view_->RefreshDeviceGrid();
    // A page changed meanwhile: the cycle ends with this scan.
    if (!StorageModeActive()) return;
    // When it cannot start, the cycle stops until the page is chosen again.
    if (StartDiscovery()) return;
    qCWarning(lcStorage) << "the storage page's scanning cycle stopped";
    if (!RemoteOffRequest) return;
    // No scan, no off pass: the page is freed and the user told.
    FreeStoragePageAfterOffPass();
    view_->Render();
    prompts_.Error(MsgRemoteOffNotSent);
}

// The sensors were switched off, or cannot be: the page is free again.
void AcquisitionSession::FreeStoragePageAfterOffPass() {
    RemoteOffRequest = false;
    Controls.StorageMessage.clear();
    Controls.StartEnabled = true;
    Controls.RealTimeTabVisible = true;
    Controls.StorageControlsEnabled = true;
}
