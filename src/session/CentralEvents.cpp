// Events of the Bluetooth LE central: advertisements, the end of a
// discovery (the dispatcher of everything that needs a fresh device list),
// the connect event and the notifications.
#include "link/Connection.h"
#include "session/AcquisitionSession.h"
#include "session/Diagnostics.h"
#include "session/StringTable.h"

void AcquisitionSession::DeviceDiscovered(const BleDevicePtr& device, const QByteArray& manufacturerData) {
    if (!device) return;
    if (!TakeAdvertisement(Devices, device->DeviceName, device->Paired, !manufacturerData.isEmpty(),
                           manufacturerData))
        return;
    if (StorageModeActive()) view_->RefreshDeviceGrid();
}

void AcquisitionSession::DiscoveryEnded(const QList<BleDevicePtr>& devices) {
    // A pass of remote commands waits for a sensor in a nested event loop; a
    // scan that ends meanwhile (the watchdog's cancel) is left to that pass,
    // which starts the next scan when it is done. So no sensor gets a
    // command twice in one pass, and the table is not purged under it.
    if (Doing(SessionMode::RemotePass)) return;
    PurgeDeviceTable(Devices);

    if (StorageModeActive()) {
        // The storage page's scanning cycle: one scan after the other.
        Link.ScanDeviceList = devices;
        RunRemotePass();
        ClearSeenFlags(Devices);
        view_->RefreshDeviceGrid();
        // When it cannot start, the cycle stops until the page is chosen again.
        if (!StartDiscovery()) qCWarning(lcStorage) << "the storage page's scanning cycle stopped";
        return;
    }

    // Real-time page: only a "Start" click, an upload or a lost link waits
    // for this list. The watchdog's cancel after a scan that ended by itself
    // brings a second end event, which finds nothing waiting.
    switch (activity_) {
        case SessionMode::ScanningForConnection:
            SetBusy(false);
            Link.ScanDeviceList = devices;
            ChangeMode(SessionMode::ChoosingSensor);
            // The dialog opens once this handler has returned.
            QMetaObject::invokeMethod(this, &AcquisitionSession::ChooseSensorAndConnect, Qt::QueuedConnection);
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
    const bool awaited = activity_ == SessionMode::Connecting || activity_ == SessionMode::ReconnectLink ||
                         (activity_ == SessionMode::Uploading && Store.UploadActive) || Doing(SessionMode::RemotePass);
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
// that ends while a measurement runs is reconnected.
void AcquisitionSession::DeviceDisconnected(const BleDevicePtr& device) {
    if (!device || device != Link.ActiveDevice) return;
    if (Doing(SessionMode::EndingMeasurement)) return;  // the link "End" itself closed
    if (Link.DeviceLinkReady) {
        if (activity_ == SessionMode::Measuring || activity_ == SessionMode::SensorCheck) LinkLostDuringMeasurement();
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
    if (!Link.DeviceLinkReady || (gattStatus & 0xFFFF) != 0 || characteristic != UartNotifyUuid) return;
    Decoder.Feed(value, *this);
}

bool AcquisitionSession::PacketsWanted() const {
    return activity_ == SessionMode::Measuring || activity_ == SessionMode::SensorCheck || Store.UploadActive;
}

void AcquisitionSession::PacketReceived(const uint8_t* packet, int32_t length, int32_t left) {
    SampleDecoder.CheckPacket(packet, length, left);
}
