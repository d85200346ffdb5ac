// Events of the Bluetooth LE central: advertisements, the end of a
// discovery (the dispatcher of everything that needs a fresh device list),
// the connect event and the notifications.
#include "link/Connection.h"
#include "session/AcquisitionSession.h"
#include "session/Diagnostics.h"
#include "session/StringTable.h"

void AcquisitionSession::DeviceDiscovered(const BleDevicePtr& device, const QByteArray& manufacturerData) {
    FlowInput input(*this, "an advertisement");
    if (!device) return;
    if (!TakeAdvertisement(Devices, device->DeviceName, device->Paired, !manufacturerData.isEmpty(),
                           manufacturerData))
        return;
    if (StorageModeActive()) view_->RefreshDeviceGrid();
}

void AcquisitionSession::DiscoveryEnded(const QList<BleDevicePtr>& devices) {
    FlowInput input(*this, "the end of a discovery");
    // A remote pass works through the list its scan brought; a scan that
    // ends meanwhile (the watchdog's cancel) is left to it, and the pass
    // starts the next scan when it is done. So no sensor gets a command
    // twice in one pass, and the table is not purged under it.
    if (remotePass_.active) return;
    PurgeDeviceTable(Devices);

    if (StorageModeActive()) {
        StorageScanEnded(devices);
        return;
    }

    // Real-time page: only a "Start" click, an upload or a lost link waits
    // for this list. The watchdog's cancel after a scan that ended by itself
    // brings a second end event, which finds nothing waiting.
    switch (activity_) {
        case SessionMode::ScanningForConnection:
            Link.ScanDeviceList = devices;
            ChooseSensorAndConnect();
            return;
        case SessionMode::WaitingForUploadScan:
            SetBusy(false);
            Link.ScanDeviceList = devices;
            UploadStart();
            return;
        case SessionMode::ReconnectScan:
            Link.ScanDeviceList = devices;
            ReconnectWhenFound();
            return;
        default:
            return;
    }
}

// Only a link that the program waits for is taken; one that comes up after
// the program gave up on it is let go again.
void AcquisitionSession::DeviceConnected(const BleDevicePtr& device) {
    FlowInput input(*this, "a connect event");
    const bool awaited = activity_ == SessionMode::Connecting || activity_ == SessionMode::ReconnectLink ||
                         (activity_ == SessionMode::Uploading && Store.UploadActive) ||
                         (remotePass_.active && !remotePass_.current.isEmpty());
    if (!device || device != Link.ActiveDevice || Link.DeviceLinkReady || !awaited) {
        if (device && !(device == Link.ActiveDevice && Link.DeviceLinkReady)) {
            qCInfo(lcLink) << "a link nobody waits for came up; it is let go:" << device->DeviceName;
            central_.Disconnect(device);
        }
        return;
    }
    CompleteConnection(Link, central_, clock_, device);
    if (activity_ == SessionMode::Connecting || activity_ == SessionMode::ReconnectLink) LinkBackForMeasurement();
}

// A link that ends before it was ever up is a connection that failed; one
// that ends while a measurement runs is reconnected; one that ends while an
// upload comes in ends the upload.
void AcquisitionSession::DeviceDisconnected(const BleDevicePtr& device) {
    FlowInput input(*this, "a disconnect event");
    if (!device || device != Link.ActiveDevice) return;
    if (remotePass_.active && !remotePass_.current.isEmpty()) {
        Link.DeviceLinkReady = false;
        RemoteTargetDone(Decoder.ReplyReceived);
        return;
    }
    if (Link.DeviceLinkReady) {
        if (activity_ == SessionMode::Measuring || activity_ == SessionMode::SensorCheck) LinkLostDuringMeasurement();
        else if (activity_ == SessionMode::Uploading && Store.UploadActive) UploadLinkLost();
        return;
    }
    if (activity_ == SessionMode::ReconnectLink) {
        ReconnectFailed();
        return;
    }
    ConnectionFailed();
}

// Back to where a failed start or upload leaves the program, and the user
// told: the request is called off, so a late link starts nothing.
void AcquisitionSession::ConnectionFailed() {
    connectWaitTicks_ = 0;
    const QString name = Link.TargetDeviceName;
    if (activity_ == SessionMode::Connecting) {
        qCWarning(lcLink) << "the link to" << name << "did not come up for the measurement";
        Link.PendingCommand.clear();
        if (Link.ActiveDevice) central_.Disconnect(Link.ActiveDevice);
        CloseExternalInput();
        ShowMeasurementOver();
        view_->RepaintTrend();
        ErrorAfterHandler(MsgUnableToConnect.arg(name));
        return;
    }
    if (activity_ == SessionMode::Uploading && Store.UploadActive) {
        qCWarning(lcLink) << "the link to" << name << "did not come up for the upload";
        Link.PendingCommand.clear();
        if (Link.ActiveDevice) central_.Disconnect(Link.ActiveDevice);
        Store.UploadActive = false;
        ChangeMode(SessionMode::UploadDone);
        UploadPanel.Line1 = MsgUnableToConnect.arg(name);
        UploadPanel.OkEnabled = true;
        view_->Render();
    }
}

void AcquisitionSession::CharacteristicChanged(const BleDevicePtr&, const QUuid& characteristic,
                                               const QByteArray& value, int gattStatus) {
    FlowInput input(*this, "a notification");
    if (!Link.DeviceLinkReady || (gattStatus & 0xFFFF) != 0 || characteristic != UartNotifyUuid) return;
    Decoder.Feed(value, *this);
    if (remotePass_.active && !remotePass_.current.isEmpty() && Decoder.ReplyReceived) RemoteTargetDone(true);
}

bool AcquisitionSession::PacketsWanted() const {
    return activity_ == SessionMode::Measuring || activity_ == SessionMode::SensorCheck || Store.UploadActive;
}

void AcquisitionSession::PacketReceived(const uint8_t* packet, int32_t length, int32_t left) {
    SampleDecoder.CheckPacket(packet, length, left);
}
