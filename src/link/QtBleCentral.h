#pragma once

#include <QBluetoothDeviceDiscoveryAgent>
#include <QBluetoothDeviceInfo>
#include <QHash>
#include <QSet>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>

#include "link/BleCentral.h"

class QBluetoothLocalDevice;
class QtBleLink;

// Why the program cannot use Bluetooth, for the user.
inline const QString NoAdapterReason = QStringLiteral(
    "No Bluetooth LE adapter is available.\n"
    "To try the program without one, start it with simulated sensors: --simulate");
inline const QString AdapterOffReason = QStringLiteral(
    "The Bluetooth adapter is switched off.\n"
    "Switch it on and start the program again, or start it with simulated sensors: --simulate");

// The Bluetooth LE central on QtBluetooth (BlueZ underneath). Each device
// linked has a QtBleLink of its own, with its own QLowEnergyController, so
// links come up, carry data and close side by side.
//
// Every event goes out through one queue, delivered from the event loop, so
// the program never runs inside a QtBluetooth signal or inside one of its
// own calls, except for the end of a scan, which CancelDiscovery and the
// scan timer deliver before they return (after anything queued before it).
class QtBleCentral : public BleCentral {
    Q_OBJECT

public:
    explicit QtBleCentral(QObject* parent = nullptr);
    ~QtBleCentral() override;

    QString UnusableReason() const override;
    bool DiscoverDevices(int timeoutMilliseconds, QString* error) override;
    void CancelDiscovery() override;
    bool DiscoverServices(const BleDevicePtr& device) override;
    bool Connect(const BleDevicePtr& device, QString* error) override;
    void SetCharacteristicNotification(const BleDevicePtr& device, const BleCharacteristicPtr& characteristic,
                                       bool enable) override;
    void WriteCharacteristic(const BleDevicePtr& device, const BleCharacteristicPtr& characteristic,
                             const QByteArray& value) override;
    void Disconnect(const BleDevicePtr& device) override;

    // A connection that is not usable after this long is given up
    // (Disconnected follows, Connected never does).
    static constexpr int DefaultConnectTimeoutMilliseconds = 15000;
    void SetConnectTimeout(int milliseconds) { connectTimeout_ = milliseconds; }

private:
    void OnDeviceDiscovered(const QBluetoothDeviceInfo& info);
    void OnDeviceUpdated(const QBluetoothDeviceInfo& info, QBluetoothDeviceInfo::Fields fields);
    void OnScanError(QBluetoothDeviceDiscoveryAgent::Error error);
    void OnScanStoppedByItself();
    void Heard(const QBluetoothDeviceInfo& info);
    BleDevicePtr DeviceFor(const QBluetoothDeviceInfo& info);
    bool IsPaired(const QString& address);
    void EndScan();
    bool OpenLink(const BleDevicePtr& device, QString* error);
    void OnLinkDown(QtBleLink* link, const BleDevicePtr& device);
    void OpenWaitingConnect(const BleDevicePtr& device);
    void PostDisconnected(const BleDevicePtr& device);

    // Outgoing events, in the order they happened.
    void Post(std::function<void()> event);
    void Flush();

    QBluetoothDeviceDiscoveryAgent* agent_ = nullptr;
    std::unique_ptr<QBluetoothLocalDevice> localDevice_;
    QTimer scanTimer_;
    bool scanning_ = false;
    bool starting_ = false;   // inside agent start(): its signals are about the start
    bool stopping_ = false;   // inside agent stop(): its canceled signal is ours
    QString startError_;
    int scanNumber_ = 0;
    QList<BleDevicePtr> heard_;      // this scan's devices, in the order first heard
    QList<BleDevicePtr> lastHeard_;  // the list the last end event carried
    QHash<QString, bool> paired_;    // by address, asked once per scan
    struct Report {
        qint16 rssi = 0;
        QString name;
        QByteArray manufacturerData;
        bool operator==(const Report&) const = default;
    };
    QHash<QString, Report> lastReports_;  // this scan's last report of each address

    // One handle per address for the life of the central, so the program's
    // pointers stay comparable; and what QtBluetooth last said of it.
    QHash<QString, BleDevicePtr> devices_;
    QHash<QString, QBluetoothDeviceInfo> infos_;
    QHash<QString, QtBleLink*> links_;  // the current link of each address
    // Connects asked while the address's last link was still closing: each
    // opens once that link is down.
    QSet<QString> waitingConnects_;
    // Connects accepted so far, by address: a Disconnected posted before the
    // latest of them belongs to a link the program has let go.
    QHash<QString, quint64> connectRequests_;

    int connectTimeout_ = DefaultConnectTimeoutMilliseconds;
    std::deque<std::function<void()>> events_;
    bool flushQueued_ = false;
};
