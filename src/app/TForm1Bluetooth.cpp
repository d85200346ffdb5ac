// Events of the Bluetooth LE central: advertisements, the end of a
// discovery (the dispatcher of everything that needs a fresh device list),
// the connect event and the notifications.
#include "app/TForm1.h"
#include "data/Clock.h"
#include "link/BleCentral.h"
#include "link/Connection.h"

void TForm1::BluetoothLE1DiscoverLEDevice(const BleDevicePtr& device, const QByteArray& manufacturerData) {
    if (!device) return;
    if (!TakeAdvertisement(Devices, device->DeviceName, device->Paired, !manufacturerData.isEmpty(),
                           manufacturerData))
        return;
    if (StorageModeActive()) DrawGrid1->viewport()->update();
}

// The storage page is in use: chosen, or the only one while its event log runs.
bool TForm1::StorageModeActive() const {
    return PageControl1->currentIndex() == 1 || !PageControl1->isTabVisible(0);
}

void TForm1::BluetoothLE1EndDiscoverDevices(const QList<BleDevicePtr>& ADeviceList) {
    // A pass of remote commands waits for a sensor in a nested event loop; a
    // scan that ends meanwhile (the watchdog's cancel) is left to that pass,
    // which starts the next scan when it is done. So no sensor gets a
    // command twice in one pass, and the table is not purged under it.
    if (remotePassRunning_) return;
    PurgeDeviceTable(Devices);

    if (StorageModeActive()) {
        // The storage page's scanning cycle: one scan after the other.
        Link.ScanDeviceList = ADeviceList;
        remotePassRunning_ = true;
        if (StartButtonTag == 1) {
            RemoteStart();
        } else if (RemoteOffRequest) {
            RemoteOffAll();
            RemoteOffRequest = false;
            MsgPanel2->hide();
            StartButton->setEnabled(true);
        }
        remotePassRunning_ = false;
        ClearSeenFlags(Devices);
        DrawGrid1->viewport()->update();
        StartDiscovery();  // when it cannot start, the cycle stops until the page is chosen again
        return;
    }

    // Real-time page: only a "Start" click or an upload request waits for
    // this list. The watchdog's cancel after a scan that ended by itself
    // brings a second end event; during an upload (button disabled, panel
    // shown) it must not open the connection dialog.
    if (!UploadRequest && (ConnectButton->isEnabled() || UploadPanel->isVisibleTo(this))) return;
    SetBusyCursor(false);
    Link.ScanDeviceList = ADeviceList;
    if (UploadRequest) {
        UploadRequest = false;
        UploadStart();
        return;
    }
    ChooseSensorAndConnect();
}

void TForm1::BluetoothLE1Connect(const BleDevicePtr& sender) { ::BluetoothLE1Connect(Link, central_, clock_, sender); }

void TForm1::BluetoothLE1CharacteristicRead(const BleDevicePtr&, const QUuid& characteristic,
                                            const QByteArray& value, int AGattStatus) {
    if (!Link.DeviceLinkReady || (AGattStatus & 0xFFFF) != 0 || characteristic != UartNotifyUuid) return;
    Decoder.Feed(value, *this);
}

bool TForm1::PacketsWanted() const { return ConnectButtonTag == 1 || Store.UploadActive; }

void TForm1::PacketReceived(const uint8_t* packet, int32_t length, int32_t left) {
    SampleDecoder.CheckPacket(packet, length, left);
}

void TForm1::ShowStatusText(const QString& text) { StatusLine->setText(text); }
