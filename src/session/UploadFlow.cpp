// Storage upload: one sensor's stored record comes into the record in
// memory, with a progress panel over the trend view, the optional event
// merge, the save and the sensor told to clear its log.
#include "data/RecordSummary.h"
#include "link/Commands.h"
#include "link/Connection.h"
#include "link/LinkOperations.h"
#include "prompts/Prompts.h"
#include "session/AcquisitionSession.h"
#include "session/Diagnostics.h"
#include "session/ExportTexts.h"
#include "session/StringTable.h"
#include "storage/DeviceGrid.h"

void AcquisitionSession::UploadButtonClicked(int row) {
    FlowInput input(*this, "the Upload click");
    if (!ClickAllowed("Upload")) return;
    if (activity_ != SessionMode::Idle || save_.active || remotePass_.active || RemoteOffRequest) return;
    if (row <= 0 || row >= DeviceGridRows - 1) return;  // the header and the parking row
    const ADV_DATA_TYPE& entry = Devices[row - 1];
    if (entry.id.isEmpty() || entry.meas || entry.count == 0) return;
    // The upload replaces the record in memory, as a measurement or an open
    // does. The sensor is the one clicked, whatever the table does meanwhile.
    const QString name = entry.id;
    ConfirmDiscard([this, name] {
        if (activity_ == SessionMode::Idle && !save_.active && !remotePass_.active && !RemoteOffRequest)
            WaitForUploadScan(name);
    });
}

void AcquisitionSession::WaitForUploadScan(const QString& name) {
    Link.TargetDeviceName = name;
    ChangeMode(SessionMode::WaitingForUploadScan);
    uploadScanWaitTicks_ = 0;
    UploadPanel = {};
    UploadPanel.Visible = true;
    UploadPanel.Line1 = MsgUploadWaitsForScan.arg(name);
    Controls.ConnectEnabled = false;
    Controls.StorageTabVisible = false;
    Controls.OpenEnabled = false;
    SetBusy(true);
    // Straight to the real-time page, without the page change's own steps:
    // the discovery under way ends there and starts the upload.
    CurrentPage = 0;
    view_->ShowRealTimePageQuietly();
    view_->Render();
    // The storage page's scans may have stopped: then this one finds the sensor.
    if (!DiscoveryWatchdogRunning && !StartDiscovery()) {
        CallOffUploadRequest();
        prompts_.Error(MsgUploadScanNotStarted.arg(name));
    }
}

bool AcquisitionSession::UploadButtonCancels() const {
    return activity_ == SessionMode::WaitingForUploadScan || UploadOkButtonTag() == 1;
}

void AcquisitionSession::CallOffUploadRequest() {
    ChangeMode(SessionMode::Idle);
    UploadPanel = {};
    Controls.ConnectEnabled = true;
    Controls.StorageTabVisible = true;
    Controls.OpenEnabled = true;
    Controls.Busy = false;
    view_->Render();
}

// No scan ended to start the upload: the adapter may be gone or busy.
void AcquisitionSession::UploadScanTimedOut() {
    qCWarning(lcStorage) << "no scan ended to start the upload from" << Link.TargetDeviceName;
    CallOffUploadRequest();
    ErrorAfterHandler(MsgUploadScanTimedOut.arg(Link.TargetDeviceName));
}

void AcquisitionSession::UploadStart() {
    if (!Connect(Link, central_) || !SendGetLogStart(Link, central_, Supervision)) {
        qCWarning(lcStorage) << "no usable connection to" << Link.TargetDeviceName << "for the upload";
        CallOffUploadRequest();
        ErrorAfterHandler(MsgUnableToConnect.arg(Link.TargetDeviceName));
        return;
    }

    // The upload's record replaces those in memory, saved or discarded after the question.
    KeepOnlyTheFirstSensor();
    ChangeMode(SessionMode::Uploading);
    SensorAt(0).ConnectWaitTicks = 0;
    Store.CheckSensorsMode = false;
    Store.UploadTotal = 0;
    Decoder.RxPacketLength = 0;
    ResetRecord(Store);
    ClearTrendViewForNewRecord();
    Store.DataSaved = true;
    Store.RecordFull = false;
    Store.SequenceGap = false;
    Store.ReceivedDeviceId.clear();
    Store.UploadActive = true;
    BeginJournal(SensorAt(0), JournalKind::Upload);

    UploadPanel = {};
    UploadPanel.Visible = true;
    UploadPanel.Line1 = MsgUploading;

    Controls.ConnectEnabled = false;
    Controls.ViewControlsEnabled = false;
    Controls.StorageTabVisible = false;
    Controls.OpenEnabled = false;
    view_->Render();
}

// The link went while samples were coming: the upload ends there, said so,
// and the sensor keeps its log (no "@CLR" goes out).
void AcquisitionSession::UploadLinkLost() {
    qCWarning(lcStorage) << "the link to" << Link.TargetDeviceName << "was lost during the upload";
    Store.UploadActive = false;
    if (Link.ActiveDevice) central_.Disconnect(Link.ActiveDevice);
    Link.DeviceLinkReady = false;
    Link.PendingCommand.clear();
    ChangeMode(SessionMode::UploadDone);
    const int32_t received = Store.SampleCount;
    const int32_t total = Store.UploadTotal;
    const int percent = UploadPercent(Store);
    UploadPanel.Line1 = MsgUploadLinkLost.arg(Link.TargetDeviceName);
    UploadPanel.Line2 = QStringLiteral("%1/%2  %3% Aborted.").arg(received).arg(total).arg(percent);
    if (received != 0) Store.RecordDeviceId = Store.ReceivedDeviceId;
    UploadPanel.OkEnabled = true;
    view_->Render();
}

void AcquisitionSession::UpdateProgress() {
    const int32_t received = Store.SampleCount;
    const int32_t total = Store.UploadTotal;
    const int percent = UploadPercent(Store);
    auto counts = [&](const char* outcome) {
        return QStringLiteral("%1/%2  %3% %4").arg(received).arg(total).arg(percent).arg(QLatin1String(outcome));
    };

    if (total == 0) {
        Store.UploadActive = false;
        ChangeMode(SessionMode::UploadDone);
        UploadPanel.Line1 = MsgUploadCompleted;
        UploadPanel.Line2 = MsgNoDataRecorded;
        view_->Render();
        return;
    }
    if (received >= total) {
        Store.UploadActive = false;
        ChangeMode(SessionMode::UploadDone);
        UploadPanel.Line1 = MsgUploadCompleted;
        UploadPanel.Line2 = QStringLiteral("%1/%2  100% Received.").arg(received).arg(total);
        UploadPanel.ProgressPercent = 100;
        // The save starts once the decoder has handed over the packet.
        // Until it ends the record is unsaved and the panel stays.
        Store.DataSaved = false;
        UploadPanel.OkEnabled = false;
        view_->Render();
        QMetaObject::invokeMethod(
            this,
            [this] {
                FlowInput input(*this, "the upload's save");
                if (UploadPanel.Line3.isEmpty()) SaveUploadedRecord(true);
            },
            Qt::QueuedConnection);
        return;
    }
    if (Store.SequenceGap) {
        Store.UploadActive = false;
        SendGetLogCancel(Link, central_, clock_);
        ChangeMode(SessionMode::UploadDone);
        UploadPanel.Line1 = MsgUploadCommunicationError;
        UploadPanel.Line2 = counts("Aborted.");
        if (received != 0) Store.RecordDeviceId = Store.ReceivedDeviceId;
        UploadPanel.OkEnabled = true;
        view_->Render();
        return;
    }
    if (activity_ == SessionMode::UploadDone) {
        // Cancelled by the user.
        UploadPanel.Line2 = counts("Aborted.");
        view_->Render();
        if (received != 0 && UploadPanel.Line3.isEmpty()) {
            SaveUploadedRecord(false);
            return;
        }
    } else {
        UploadPanel.Line2 = counts("Received.");
    }
    UploadPanel.ProgressVisible = true;
    UploadPanel.ProgressPercent = percent;
    view_->Render();
}

// The merge (when asked for) and the save of an ended upload; the sensor's
// log is cleared only after a complete upload was saved.
void AcquisitionSession::SaveUploadedRecord(bool clearSensorLog) {
    Store.RecordDeviceId = Store.ReceivedDeviceId;
    UploadPanel.OkEnabled = false;
    if (view_->Choices().mergeAfterUpload) MergeEventLog(true);
    Store.DataSaved = false;
    view_->Render();
    SaveRecord([this, clearSensorLog](bool saved) { UploadSaveEnded(saved, clearSensorLog); });
}

void AcquisitionSession::UploadSaveEnded(bool saved, bool clearSensorLog) {
    if (saved) {
        UploadPanel.Line3 = SavedFilesText() + MsgCreatedSuffix;
        // Clearing the log would lose raw intensities that no file holds.
        if (clearSensorLog && RawIntensitiesKept()) SendLogClear(Link, central_, clock_);
        else if (clearSensorLog) UploadPanel.Line3 += MsgSensorKeepsLog;
    }
    // A cancelled upload's part: the sensor keeps its log, nothing is lost.
    if (!clearSensorLog) Store.DataSaved = true;
    UploadPanel.OkEnabled = true;
    view_->Render();
}

void AcquisitionSession::UploadOkButtonClicked() {
    FlowInput input(*this, "the upload panel's button");
    if (!ClickAllowed("the upload panel's button")) return;
    if (activity_ == SessionMode::WaitingForUploadScan) {
        CallOffUploadRequest();
        return;
    }
    if (activity_ == SessionMode::Uploading) {
        Store.UploadActive = false;
        SendGetLogCancel(Link, central_, clock_);
        UploadPanel.Line1 = MsgUploadAborted;
        ChangeMode(SessionMode::UploadDone);
        UploadPanel.OkEnabled = true;
        UpdateProgress();
        return;
    }
    if (activity_ == SessionMode::UploadDone && UploadPanel.OkEnabled && !save_.active) FinishUpload();
}

void AcquisitionSession::FinishUpload() {
    Store.UploadActive = false;
    Disconnect(Link, central_);
    const int32_t received = Store.SampleCount;
    ChangeMode(SessionMode::Idle);
    UploadPanel.Visible = false;
    ShowRecordEndInView();
    if (received != 0) {
        Store.InitPointsEditable = true;
        Controls.EditEnabled = true;
        view_->ShowStatusText(RecordSummaryText(Store));
    } else {
        Store.InitPointsEditable = false;
        Controls.EditEnabled = false;
    }
    Controls.ConnectEnabled = true;
    view_->ShowViewControlsFor(false);
    Controls.ViewControlsEnabled = true;
    Controls.StorageTabVisible = true;
    Controls.OpenEnabled = true;
    Controls.SaveEnabled = AnyRecordUnsaved();
    Controls.ClearInitPointsEnabled = Store.InitPointsEditable;
    View.CursorChannel = -1;
    View.CursorIndex = -1;
    view_->Render();
    view_->RepaintTrend();
}
