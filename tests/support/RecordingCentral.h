#pragma once

#include <QByteArray>
#include <QList>

#include "link/BleCentral.h"

// A central with no devices that records the writes asked of it, for tests
// of the code above the interface.
class RecordingCentral : public BleCentral {
public:
    QString UnusableReason() const override { return {}; }
    bool DiscoverDevices(int, QString*) override { return true; }
    // Its end is an event of its own, as a platform stack delivers it.
    void CancelDiscovery() override {
        QMetaObject::invokeMethod(this, [this] { emit EndDiscoverDevices({}); }, Qt::QueuedConnection);
    }
    bool DiscoverServices(const BleDevicePtr&) override { return true; }
    bool Connect(const BleDevicePtr&, QString*) override { return true; }
    void SetCharacteristicNotification(const BleDevicePtr&, const BleCharacteristicPtr&, bool) override {}
    void WriteCharacteristic(const BleDevicePtr& device, const BleCharacteristicPtr& characteristic,
                             const QByteArray& value) override;
    void Disconnect(const BleDevicePtr&) override {}

    struct Write {
        BleDevicePtr device;
        BleCharacteristicPtr characteristic;
        QByteArray value;
    };
    QList<Write> writes;
};
