#pragma once

#include <QBluetoothDeviceInfo>
#include <QByteArray>
#include <QLowEnergyCharacteristic>
#include <QLowEnergyController>
#include <QLowEnergyDescriptor>
#include <QLowEnergyService>
#include <QObject>
#include <QTimer>
#include <QUuid>
#include <deque>

// One connection to one sensor over QtBluetooth: connect, find the UART
// service and its characteristics, switch notifications, write, disconnect.
//
// Up is emitted at most once, when the link is usable; Down exactly once
// after a successful Open, whatever ends the link (local close, the sensor
// dropping it, a failure, the connect time-out). Both, and ValueChanged, may
// be emitted inside QtBluetooth's own signals: the owner must not call back
// into QtBluetooth synchronously from them (QtBleCentral posts them on).
class QtBleLink : public QObject {
    Q_OBJECT

public:
    QtBleLink(const QBluetoothDeviceInfo& device, int connectTimeoutMilliseconds, QObject* parent = nullptr);
    ~QtBleLink() override;

    // Asks for the connection. False, with the reason, when QtBluetooth
    // refused at once (for example a device BlueZ does not know); no Down
    // follows then.
    bool Open(QString* error);
    // Local disconnect, once the operations already queued went out; Down
    // follows (possibly before this returns).
    void Close();

    // Up and not closing: new operations are taken.
    bool IsUp() const { return up_ && !finished_ && !closing_; }
    bool IsFinished() const { return finished_; }
    // Close was asked (by the owner, or after a failure) and Down is yet to come.
    bool IsClosing() const { return closing_ && !finished_; }

    // Queued behind earlier operations; dropped unless the link is up.
    void SetNotification(const QUuid& characteristic, bool enable);
    void Write(const QUuid& characteristic, const QByteArray& value);

    // A write without response must fit the smallest ATT payload, because the
    // negotiated MTU is not known on this backend.
    static constexpr int SmallestAttPayload = 20;
    // An operation QtBluetooth never answers is given up after this long.
    static constexpr int OperationTimeoutMilliseconds = 10000;
    // After a local disconnect, how long to wait for BlueZ to confirm.
    static constexpr int CloseTimeoutMilliseconds = 3000;

signals:
    void Up();
    void Down();
    void ValueChanged(const QUuid& characteristic, const QByteArray& value);

private:
    // One GATT request; only one is sent at a time.
    struct Operation {
        QUuid characteristic;
        bool descriptor = false;  // the CCC descriptor of that characteristic
        QByteArray value;
        QLowEnergyService::WriteMode mode = QLowEnergyService::WriteWithResponse;
    };

    void OnConnected();
    void OnServiceStateChanged(QLowEnergyService::ServiceState state);
    void OnControllerError(QLowEnergyController::Error error);
    void Fail(const QString& why);
    void DisconnectWhenDrained();
    void Finish();
    void StartNextOperation();
    void OperationDone();

    QLowEnergyController* controller_ = nullptr;
    QLowEnergyService* service_ = nullptr;
    QTimer connectTimer_;
    QTimer closeTimer_;
    QTimer operationTimer_;
    std::deque<Operation> operations_;
    bool operationInFlight_ = false;
    bool up_ = false;
    bool opening_ = false;       // inside Open: a failure there is returned, not signalled
    bool refusedInOpen_ = false;
    QString refusal_;
    bool closing_ = false;        // Close was asked: no new operations
    bool disconnecting_ = false;  // the disconnect went to QtBluetooth
    bool finished_ = false;
};
