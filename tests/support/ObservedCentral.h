#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

#include "link/BleCentral.h"

// Passes every call to another central and forwards its events, recording
// what the program asked for on the way: the command texts of every write
// (time-sync frames included), notification switches and disconnects.
class ObservedCentral : public BleCentral {
public:
    explicit ObservedCentral(BleCentral& inner);

    QString UnusableReason() const override { return inner_.UnusableReason(); }
    bool DiscoverDevices(int timeoutMilliseconds, QString* error) override;
    void CancelDiscovery() override;
    bool DiscoverServices(const BleDevicePtr& device) override { return inner_.DiscoverServices(device); }
    bool Connect(const BleDevicePtr& device, QString* error) override;
    void SetCharacteristicNotification(const BleDevicePtr& device, const BleCharacteristicPtr& characteristic,
                                       bool enable) override;
    void WriteCharacteristic(const BleDevicePtr& device, const BleCharacteristicPtr& characteristic,
                             const QByteArray& value) override;
    void Disconnect(const BleDevicePtr& device) override;

    // "TS,..." and commands, one entry per STX..ETX frame, prefixed by the
    // device name: "Tq580-123456-001 ST1".
    QStringList commands;
    QStringList calls;  // "scan", "cancel", "connect <name>", "notify on <name>", "disconnect <name>"
    int scans = 0;

    // What a radio may do that the simulated one does not: refuse to scan or
    // to connect (an adapter switched off), or report a link late.
    bool refuseScans = false;
    bool refuseConnects = false;
    bool loseScanEnds = false;  // scans that never end
    void ReportConnected(const BleDevicePtr& device) { emit Connected(device); }

    // Command texts sent to one device, without time-sync frames.
    QStringList CommandsTo(const QString& deviceName) const;

private:
    BleCentral& inner_;
};
