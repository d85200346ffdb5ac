// The remote pass of the storage page's scanning cycle: at the end of a
// scan, logging starts on the waiting sensors while the event log runs, or
// every running sensor is switched off once after it ended. Each sensor gets
// one short connection: connect, the command behind the time-sync frame, its
// text reply (10 s at most), disconnect. The pass is a mode: the connect
// event, the reply, the disconnect event and the supervision tick move it on.
#include "data/Clock.h"
#include "data/OleDate.h"
#include "link/Commands.h"
#include "link/Connection.h"
#include "link/LinkOperations.h"
#include "session/AcquisitionSession.h"
#include "session/Diagnostics.h"
#include "session/StringTable.h"

namespace {
constexpr int ReplyWaitMilliseconds = 10000;
}

// Who is told what: decided once from the table at the scan's end, so
// advertisements that reorder the table meanwhile change nothing. False
// when no pass is due.
bool AcquisitionSession::BeginRemotePass() {
    remotePass_ = {};
    if (StartButtonTag() == 1) {
        const UserChoices page = view_->Choices();
        remotePass_.command = RemoteStartCommandText(page.storageRateItem, page.advertisedValueItem);
        for (int i = 0; i < DeviceTableSize && !Devices[i].id.isEmpty(); ++i) {
            ADV_DATA_TYPE& entry = Devices[i];
            if (!entry.rf) continue;
            if (entry.wf && entry.meas) {
                entry.wf = false;
                continue;
            }
            if (entry.wf || entry.meas) continue;
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
            remotePass_.targets << entry.id;
        }
    } else if (RemoteOffRequest) {
        remotePass_.off = true;
        remotePass_.command = RemoteOffCommand;
        for (int i = 0; i < DeviceTableSize && !Devices[i].id.isEmpty(); ++i)
            if (Devices[i].meas || Devices[i].wf) remotePass_.targets << Devices[i].id;
    } else {
        return false;
    }
    remotePass_.active = true;
    qCInfo(lcStorage) << "remote pass:" << remotePass_.command << "to" << remotePass_.targets;
    SetBusy(true);
    view_->Render();
    SendToNextRemoteTarget();
    return true;
}

void AcquisitionSession::SendToNextRemoteTarget() {
    while (!remotePass_.targets.isEmpty()) {
        const QString id = remotePass_.targets.takeFirst();
        Link.TargetDeviceName = id;
        Link.PendingCommand = remotePass_.command;
        Decoder.ReplyReceived = false;
        Decoder.RxPacketLength = 0;
        QString error;
        if (!Connect(Link, central_)) {
            qCInfo(lcStorage) << "no usable connection to" << id << "for" << remotePass_.command;
            continue;
        }
        if (!central_.Connect(Link.ActiveDevice, &error)) {
            qCWarning(lcStorage) << "connect to" << id << "refused:" << error;
            continue;
        }
        remotePass_.current = id;
        remotePass_.askedAt = clock_.Now();
        // A sensor asked to start counts as starting from now: the next
        // pass does not ask it again before its advertisement says so.
        if (!remotePass_.off)
            for (auto& entry : Devices)
                if (entry.id == id) entry.wf = true;
        return;
    }
    EndRemotePass();
}

// The sensor answered, dropped the link or let its time pass: its short
// connection ends, and the next sensor's begins.
void AcquisitionSession::RemoteTargetDone(bool answered) {
    const QString id = remotePass_.current;
    if (answered)
        qCInfo(lcStorage) << remotePass_.command << "to" << id << "answered" << Decoder.ReplyText;
    else
        qCWarning(lcStorage) << remotePass_.command << "to" << id << "got no reply";
    // A connection that never came up is called off too, or the sensor
    // could connect later, stay connected and stop advertising.
    if (Link.DeviceLinkReady) Disconnect(Link, central_);
    else if (Link.ActiveDevice) central_.Disconnect(Link.ActiveDevice);
    Link.PendingCommand.clear();
    if (remotePass_.off)
        for (auto& entry : Devices)
            if (entry.id == id) entry.wf = false;
    remotePass_.current.clear();
    SendToNextRemoteTarget();
}

// The reply's time-out, on the supervision tick.
void AcquisitionSession::FollowRemotePass() {
    if (!remotePass_.active || remotePass_.current.isEmpty()) return;
    const int64_t waited = OleDateToMilliseconds(clock_.Now()) - OleDateToMilliseconds(remotePass_.askedAt);
    if (waited >= ReplyWaitMilliseconds) RemoteTargetDone(false);
}

void AcquisitionSession::EndRemotePass() {
    const bool off = remotePass_.off;
    remotePass_ = {};
    SetBusy(false);
    if (off) FreeStoragePageAfterOffPass();
    view_->Render();
    ContinueStorageCycle();
}
