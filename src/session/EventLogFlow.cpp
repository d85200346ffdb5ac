// Storage mode's event log: the "Start"/"End" button of the storage page,
// and the remote start and stop of the sensors that the scanning cycle runs
// at the end of each discovery.
#include <QCoreApplication>

#include "data/Clock.h"
#include "data/OleDate.h"
#include "link/Commands.h"
#include "link/Connection.h"
#include "link/LinkOperations.h"
#include "prompts/Prompts.h"
#include "session/AcquisitionSession.h"
#include "session/Diagnostics.h"
#include "session/StringTable.h"

namespace {
constexpr int ReplyWaitSeconds = 10;
}

void AcquisitionSession::StartButtonClicked() {
    if (activity_ == SessionMode::Idle && !Doing(SessionMode::Saving)) StartEventLog();
    else if (activity_ == SessionMode::EventLog) FinishEventLog();
}

void AcquisitionSession::StartEventLog() {
    bool unuploaded = false;
    for (int i = 0; i < OccupiedCount(Devices); ++i)
        if (!Devices[i].meas && Devices[i].count != 0) unuploaded = true;
    if (unuploaded && !prompts_.AskOkCancel(MsgUnuploadedDataLost)) return;

    const UserChoices page = view_->Choices();
    if (!OpenExternalInputForStart(page.storageAuxin, page.storagePort)) return;

    // The question above covered the logs of these sensors only.
    sensorsAtStart_.clear();
    skippedSensors_.clear();
    for (int i = 0; i < OccupiedCount(Devices); ++i) sensorsAtStart_.insert(Devices[i].id);
    for (auto& entry : Devices) entry.wf = false;
    if (activity_ != SessionMode::Idle) return;  // something began while the question was open
    ChangeMode(SessionMode::EventLog);
    Controls.RealTimeTabVisible = false;
    Controls.StorageControlsEnabled = false;
    view_->Render();
    view_->ClearLog();
    view_->AppendLogLine(FormatClockTime(clock_.Now()) + QStringLiteral("  Log started."));
}

void AcquisitionSession::FinishEventLog() {
    CloseExternalInput();
    ChangeMode(SessionMode::Idle);
    Controls.RealTimeTabVisible = true;
    Controls.StorageControlsEnabled = true;
    view_->AppendLogLine(FormatClockTime(clock_.Now()) + QStringLiteral("  Log ended."));
    Controls.StartEnabled = false;
    RemoteOffRequest = true;
    Controls.StorageMessage = MsgProcessing;
    view_->Render();
}

void AcquisitionSession::OffButtonClicked() { RemoteOffRequest = true; }

// At the end of each storage scan: logging starts on the waiting sensors
// while the event log runs, or every running sensor is switched off once
// after it ended or when "Off" asked for it.
void AcquisitionSession::RunRemotePass() {
    Operation pass(*this, SessionMode::RemotePass);
    if (StartButtonTag() == 1) {
        RemoteStart();
    } else if (RemoteOffRequest) {
        RemoteOffAll();
        RemoteOffRequest = false;
        Controls.StorageMessage.clear();
        Controls.StartEnabled = true;
        view_->Render();
    }
}

void AcquisitionSession::WaitStep() {
    if (waitStep_) waitStep_();
    else QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

// One connect, send, wait for the reply, disconnect cycle on
// TargetDeviceName with PendingCommand; false when no connection could be
// asked for. keepWaiting tells whether the wait may go on.
bool AcquisitionSession::SendRemoteCommand(const std::function<bool()>& keepWaiting,
                                           const std::function<void()>& onRequested) {
    Decoder.ReplyReceived = false;
    if (!Connect(Link, central_)) {
        qCInfo(lcStorage) << "no usable connection to" << Link.TargetDeviceName << "for" << Link.PendingCommand;
        return false;
    }
    QString error;
    if (!central_.Connect(Link.ActiveDevice, &error)) {
        qCWarning(lcStorage) << "connect to" << Link.TargetDeviceName << "refused:" << error;
        return false;
    }
    if (onRequested) onRequested();

    SetBusy(true);
    const int64_t start = OleDateToMilliseconds(clock_.Now());
    while ((OleDateToMilliseconds(clock_.Now()) - start) / 1000 < ReplyWaitSeconds && keepWaiting() &&
           !Decoder.ReplyReceived)
        WaitStep();
    if (Decoder.ReplyReceived)
        qCInfo(lcStorage) << Link.PendingCommand << "to" << Link.TargetDeviceName << "answered" << Decoder.ReplyText;
    else
        qCWarning(lcStorage) << Link.PendingCommand << "to" << Link.TargetDeviceName << "got no reply";
    // A connection that never came up is called off too, or the sensor
    // could connect later, stay connected and stop advertising.
    if (Link.DeviceLinkReady) Disconnect(Link, central_);
    else central_.Disconnect(Link.ActiveDevice);
    SetBusy(false);
    return true;
}

void AcquisitionSession::RemoteStart() {
    const UserChoices page = view_->Choices();
    Link.PendingCommand = RemoteStartCommandText(page.storageRateItem, page.advertisedValueItem);
    for (int i = 0; i < DeviceTableSize; ++i) {
        if (StartButtonTag() != 1 || Devices[i].id.isEmpty()) break;
        ADV_DATA_TYPE& entry = Devices[i];
        if (!entry.rf) continue;
        if (!entry.wf && !entry.meas) {
            if (entry.count != 0 && !sensorsAtStart_.contains(entry.id)) {
                // First heard after the start, with a log nobody agreed to lose:
                // it waits until that log was uploaded and cleared.
                if (!skippedSensors_.contains(entry.id)) {
                    skippedSensors_.insert(entry.id);
                    view_->AppendLogLine(FormatClockTime(clock_.Now()) + QStringLiteral("  ") + entry.id +
                                         QStringLiteral(" not started: it holds %1 samples not uploaded.").arg(entry.count));
                }
                continue;
            }
            Link.TargetDeviceName = entry.id;
            // The entry is found again by name: the table may be reordered by
            // advertisements that arrive while the pass waits.
            const QString id = entry.id;
            SendRemoteCommand([this] { return StartButtonTag() == 1; },
                              [this, id] {
                                  for (auto& e : Devices)
                                      if (e.id == id) e.wf = true;
                              });
        } else if (entry.wf && entry.meas) {
            entry.wf = false;
        }
    }
}

void AcquisitionSession::RemoteOffAll() {
    for (int i = 0; i < DeviceTableSize && !Devices[i].id.isEmpty(); ++i) {
        if (!Devices[i].meas && !Devices[i].wf) continue;
        const QString id = Devices[i].id;
        RemoteOff(id);
        for (auto& entry : Devices)
            if (entry.id == id) entry.wf = false;
    }
}

void AcquisitionSession::RemoteOff(const QString& id) {
    Link.PendingCommand = RemoteOffCommand;
    Link.TargetDeviceName = id;
    SendRemoteCommand([] { return true; }, {});
}
