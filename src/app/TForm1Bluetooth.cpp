// Events of the Bluetooth LE central, handed to the session.
#include "app/TForm1.h"

void TForm1::BluetoothLE1DiscoverLEDevice(const BleDevicePtr& device, const QByteArray& manufacturerData) {
    Session.DeviceDiscovered(device, manufacturerData);
}

void TForm1::BluetoothLE1EndDiscoverDevices(const QList<BleDevicePtr>& ADeviceList) {
    Session.DiscoveryEnded(ADeviceList);
}

void TForm1::BluetoothLE1Connect(const BleDevicePtr& sender) { Session.DeviceConnected(sender); }

void TForm1::BluetoothLE1Disconnect(const BleDevicePtr& sender) { Session.DeviceDisconnected(sender); }

void TForm1::BluetoothLE1CharacteristicRead(const BleDevicePtr& device, const QUuid& characteristic,
                                            const QByteArray& value, int AGattStatus) {
    Session.CharacteristicChanged(device, characteristic, value, AGattStatus);
}

// The timers: Timer1 supervises, Timer2 cuts a discovery that overran.
void TForm1::Timer1Timer() { Session.SupervisionTick(); }

void TForm1::Timer2Timer() {
    Timer2->stop();
    Session.DiscoveryWatchdogExpired();
}

void TForm1::StartDiscoveryWatchdog() {
    if (!Timer2->isActive()) Timer2->start();
}
