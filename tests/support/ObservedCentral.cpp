#include "support/ObservedCentral.h"

ObservedCentral::ObservedCentral(BleCentral& inner) : inner_(inner) {
    connect(&inner_, &BleCentral::DiscoverLEDevice, this, &BleCentral::DiscoverLEDevice);
    connect(&inner_, &BleCentral::EndDiscoverDevices, this, [this](const QList<BleDevicePtr>& devices) {
        if (!loseScanEnds) emit EndDiscoverDevices(devices);
    });
    connect(&inner_, &BleCentral::Connected, this, &BleCentral::Connected);
    connect(&inner_, &BleCentral::Disconnected, this, &BleCentral::Disconnected);
    connect(&inner_, &BleCentral::CharacteristicRead, this, &BleCentral::CharacteristicRead);
}

bool ObservedCentral::DiscoverDevices(int timeoutMilliseconds, QString* error) {
    calls << QStringLiteral("scan");
    if (refuseScans) {
        if (error) *error = QStringLiteral("the adapter is off");
        return false;
    }
    const bool started = inner_.DiscoverDevices(timeoutMilliseconds, error);
    if (started) ++scans;
    return started;
}

void ObservedCentral::CancelDiscovery() {
    calls << QStringLiteral("cancel");
    inner_.CancelDiscovery();
}

bool ObservedCentral::Connect(const BleDevicePtr& device, QString* error) {
    calls << QStringLiteral("connect ") + (device ? device->DeviceName : QString());
    if (refuseConnects) {
        if (error) *error = QStringLiteral("the adapter is off");
        return false;
    }
    return inner_.Connect(device, error);
}

void ObservedCentral::SetCharacteristicNotification(const BleDevicePtr& device,
                                                    const BleCharacteristicPtr& characteristic, bool enable) {
    calls << (enable ? QStringLiteral("notify on ") : QStringLiteral("notify off ")) +
                 (device ? device->DeviceName : QString());
    inner_.SetCharacteristicNotification(device, characteristic, enable);
}

void ObservedCentral::WriteCharacteristic(const BleDevicePtr& device, const BleCharacteristicPtr& characteristic,
                                          const QByteArray& value) {
    const QString name = device ? device->DeviceName : QString();
    for (const QByteArray& frame : value.split('\x03')) {
        const int start = frame.indexOf('\x02');
        if (start >= 0) commands << name + ' ' + QString::fromLatin1(frame.mid(start + 1));
    }
    inner_.WriteCharacteristic(device, characteristic, value);
}

void ObservedCentral::Disconnect(const BleDevicePtr& device) {
    calls << QStringLiteral("disconnect ") + (device ? device->DeviceName : QString());
    inner_.Disconnect(device);
}

QStringList ObservedCentral::CommandsTo(const QString& deviceName) const {
    QStringList texts;
    const QString prefix = deviceName + ' ';
    for (const QString& command : commands)
        if (command.startsWith(prefix) && !command.mid(prefix.size()).startsWith(QLatin1String("TS,")))
            texts << command.mid(prefix.size());
    return texts;
}
