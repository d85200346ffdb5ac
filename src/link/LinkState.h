#pragma once

#include <QList>
#include <QString>

#include "link/BleCentral.h"

// The connection to the one sensor the program talks to at a time.
struct LinkState {
    bool DeviceLinkReady = false;  // connected, characteristics known, notifications on
    BleDevicePtr ActiveDevice;
    QString TargetDeviceName;
    QString PendingCommand;  // sent with the time-sync frame when the link comes up
    QList<BleDevicePtr> ScanDeviceList;
    BleCharacteristicPtr NotifyCharacteristic;
    BleCharacteristicPtr WriteCharacteristic;
};
