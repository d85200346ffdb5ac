#pragma once

#include <QList>
#include <QString>

#include "link/BleCentral.h"

// The connection to one sensor; each sensor measured together has its own.
struct LinkState {
    bool DeviceLinkReady = false;  // connected, characteristics known, notifications on
    BleDevicePtr ActiveDevice;
    QString TargetDeviceName;
    QString PendingCommand;  // sent with the time-sync frame when the link comes up
    QList<BleDevicePtr> ScanDeviceList;
    BleCharacteristicPtr NotifyCharacteristic;
    BleCharacteristicPtr WriteCharacteristic;
};
