#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>
#include <memory>

// The sensors' Nordic UART Service.
inline const QUuid UartServiceUuid{QStringLiteral("6e400001-b5a3-f393-e0a9-e50e24dcca9e")};
inline const QUuid UartWriteUuid{QStringLiteral("6e400002-b5a3-f393-e0a9-e50e24dcca9e")};   // PC to sensor
inline const QUuid UartNotifyUuid{QStringLiteral("6e400003-b5a3-f393-e0a9-e50e24dcca9e")};  // sensor to PC

// Handles of the remote device tree. The backend creates them; the rest of
// the program holds them by shared pointer and compares devices by identity.
struct BleCharacteristic {
    QUuid UUID;
};
using BleCharacteristicPtr = std::shared_ptr<BleCharacteristic>;

struct BleService {
    QUuid UUID;
    QList<BleCharacteristicPtr> Characteristics;
};
using BleServicePtr = std::shared_ptr<BleService>;

struct BleDevice {
    QString DeviceName;
    QString Address;
    bool Paired = false;
    QList<BleServicePtr> Services;  // filled by DiscoverServices
};
using BleDevicePtr = std::shared_ptr<BleDevice>;

// The platform's Bluetooth LE central, as the program uses it. Two backends
// implement it: the simulated sensors and QtBluetooth. It holds a link to
// several devices at once; the calls and events of one device never wait for
// or reorder another's. Every event is emitted on the GUI thread.
class BleCentral : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~BleCentral() override = default;

    // Empty when the central can be used; otherwise why not, for the user.
    virtual QString UnusableReason() const = 0;

    // Starts a scan and returns at once; EndDiscoverDevices follows after the
    // time-out, never within this call. False with a reason when no scan could
    // be started.
    virtual bool DiscoverDevices(int timeoutMilliseconds, QString* error) = 0;

    // Stops the scan if one runs and in every case ends with EndDiscoverDevices
    // carrying the devices seen so far, an event of its own after this call.
    virtual void CancelDiscovery() = 0;

    // Synchronous; true when the device's services are known (device->Services).
    virtual bool DiscoverServices(const BleDevicePtr& device) = 0;

    // Returns at once; success is reported by Connected, a connection that
    // does not come up by Disconnected. False with a reason when the request
    // itself fails. A connect right after Disconnect waits until the old link
    // of that device is down (other devices' connects do not); the end of that
    // link is then not reported, so what follows is the new connection's. A
    // Disconnect meanwhile calls the connect off (Disconnected follows).
    virtual bool Connect(const BleDevicePtr& device, QString* error) = 0;

    virtual void SetCharacteristicNotification(const BleDevicePtr& device,
                                               const BleCharacteristicPtr& characteristic,
                                               bool enable) = 0;

    // One write of the whole array; no result.
    virtual void WriteCharacteristic(const BleDevicePtr& device,
                                     const BleCharacteristicPtr& characteristic,
                                     const QByteArray& value) = 0;

    virtual void Disconnect(const BleDevicePtr& device) = 0;

signals:
    // One per advertisement heard. manufacturerData is the AD type 0xFF
    // payload including its two-byte company identifier (little-endian) in
    // front, as it is on the air.
    void DiscoverLEDevice(const BleDevicePtr& device, const QByteArray& manufacturerData);
    // Once per scan: every device heard in it. The handles stay valid for as
    // long as anyone holds them.
    void EndDiscoverDevices(const QList<BleDevicePtr>& devices);
    void Connected(const BleDevicePtr& device);
    void Disconnected(const BleDevicePtr& device);
    // One per notification; gattStatus 0 is success.
    void CharacteristicRead(const BleDevicePtr& device, const QUuid& characteristic,
                            const QByteArray& value, int gattStatus);
};

// The first service with this UUID, and its first characteristic with that UUID.
BleServicePtr FindService(const BleDevicePtr& device, const QUuid& uuid);
BleCharacteristicPtr FindCharacteristic(const BleServicePtr& service, const QUuid& uuid);
