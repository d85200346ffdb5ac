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

    // Real-time page: only a "Start" click or an upload request waits for
    // this list. The watchdog's cancel after a scan that ended by itself
    // brings a second end event, which finds nothing waiting.
    if (!UploadRequest && Mode() != SessionMode::ScanningForConnection) return;
    SetBusy(false);
    Link.ScanDeviceList = devices;
    if (UploadRequest) {
        UploadRequest = false;
        UploadStart();
        return;
    }
    ChooseSensorAndConnect();
}

void AcquisitionSession::DeviceConnected(const BleDevicePtr& device) {
    CompleteConnection(Link, central_, clock_, device);
}

// A link that ends before it was ever up is a connection that failed.
void AcquisitionSession::DeviceDisconnected(const BleDevicePtr& device) {
    if (!device || device != Link.ActiveDevice || Link.DeviceLinkReady) return;
    if (Doing(SessionMode::EndingMeasurement)) return;  // the link "End" itself closed
    ConnectionFailed();
}

// Back to where a failed start or upload leaves the program, and the user
// told: the request is called off, so a late link starts nothing.
void AcquisitionSession::ConnectionFailed() {
    connectWaitTicks_ = 0;
    const QString name = Link.TargetDeviceName;
    if (ConnectButtonTag == 1) {
        qCWarning(lcLink) << "the link to" << name << "did not come up for the measurement";
        Link.PendingCommand.clear();
        if (Link.ActiveDevice) central_.Disconnect(Link.ActiveDevice);
        CloseExternalInput();
        ShowMeasurementOver();
        view_->RepaintTrend();
        ErrorAfterHandler(MsgUnableToConnect.arg(name));
        return;
    }
    if (UploadOkButtonTag == 1 && Store.UploadActive) {
        qCWarning(lcLink) << "the link to" << name << "did not come up for the upload";
        Link.PendingCommand.clear();
        if (Link.ActiveDevice) central_.Disconnect(Link.ActiveDevice);
        Store.UploadActive = false;
        UploadOkButtonTag = 0;
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

bool AcquisitionSession::PacketsWanted() const { return ConnectButtonTag == 1 || Store.UploadActive; }

void AcquisitionSession::PacketReceived(const uint8_t* packet, int32_t length, int32_t left) {
    SampleDecoder.CheckPacket(packet, length, left);
}
