#pragma once

#include <QList>
#include <QStringList>

#include "link/BleCentral.h"

class Clock;
struct LinkState;

// Names the connection dialog offers: paired sensors of either model.
bool IsRealTimeSensorName(const QString& name);
QStringList ConnectableDeviceNames(const QList<BleDevicePtr>& devices);

// Finds TargetDeviceName in ScanDeviceList, makes it ActiveDevice (even when
// a later step fails), discovers its services and picks the UART
// characteristics. True only when the device, the service and both
// characteristics were found.
bool Connect(LinkState& link, BleCentral& central);

// The connect event: for ActiveDevice only, the link is ready, notifications
// go on and the pending command goes out behind the time-sync frame.
void CompleteConnection(LinkState& link, BleCentral& central, const Clock& clock, const BleDevicePtr& sender);
