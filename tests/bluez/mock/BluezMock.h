#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>
#include <memory>

// A private system bus with python-dbusmock playing BlueZ 5.66
// (tests/bluez/tq580_bluez_mock.py), for running the QtBluetooth backend
// without a radio.
//
// Start it before the first QtBluetooth object of the process: it points
// DBUS_SYSTEM_BUS_ADDRESS at the private bus and forces QtBluetooth's BlueZ
// D-Bus backend (QtBluetooth would otherwise ask the bus owner's executable
// for its version, and find python). The bus and the mock are started and
// stopped by process id, with time-outs.
//
// The control methods speak to the mock's org.bluez.Mock interface for the
// adapter "hci0"; a D-Bus error fails the running test.
class BluezMock {
public:
    BluezMock();
    ~BluezMock();
    BluezMock(const BluezMock&) = delete;
    BluezMock& operator=(const BluezMock&) = delete;

    // Empty when the bus and the mock run; otherwise why not (for example
    // python3-dbusmock not installed), for a test to skip with.
    QString Start();
    void Stop();
    bool Running() const { return running_; }
    // The last Start failed because dbus-daemon or python3-dbusmock is not
    // installed (rather than failing to run).
    bool MissingTools() const { return missingTools_; }

    // The adapter; powered unless told otherwise.
    void AddAdapter();
    void RemoveAdapter();
    void SetPowered(bool powered);

    // A sensor BlueZ knows of (remembered: not heard until it advertises).
    void AddSensor(const QString& address, const QString& name, bool paired);
    void RemoveSensor(const QString& address);
    // One advertisement report; false when the adapter is not scanning.
    bool Advertise(const QString& address, quint16 companyId, const QByteArray& data, qint16 rssi);
    // Advertises every intervalMilliseconds (0 stops).
    void AdvertiseEvery(const QString& address, quint16 companyId, const QByteArray& data, qint16 rssi,
                        int intervalMilliseconds);
    void SetName(const QString& address, const QString& name);
    void SetPaired(const QString& address, bool paired);

    // How the sensor's link behaves. connectMode: "normal", "hang" (link up,
    // services never resolved) or "refuse"; writeFlags of the RX
    // characteristic, e.g. {"write-without-response", "write"}.
    void SetLink(const QString& address, int attMtu, const QString& connectMode, bool uartService,
                 const QStringList& writeFlags);
    // Bytes the sensor notifies after every write it receives.
    void SetReply(const QString& address, const QByteArray& reply);
    void Notify(const QString& address, const QByteArray& value);
    void DropLink(const QString& address);  // the sensor ends the connection
    // A local disconnect takes this long: the link stays up meanwhile and the
    // call is answered once it is down (0: at once).
    void SetDisconnectDelay(const QString& address, int milliseconds);
    // While held, a local disconnect leaves the link up, unanswered; it
    // completes when the hold ends.
    void HoldDisconnect(const QString& address, bool held);

    struct Write {
        QByteArray value;
        QString type;  // "request" (with response) or "command" (without)
    };
    QList<Write> Writes(const QString& address);
    bool Notifying(const QString& address);
    bool Connected(const QString& address);
    bool Discovering();

    // Removes every adapter and device and stops the advertisers.
    void ClearAll();

    static constexpr const char* Adapter = "hci0";

private:
    QVariantList Call(const QString& method, const QVariantList& arguments = {});
    QVariant DeviceProperty(const QString& address, const QString& name);
    QString ForgetAll(const QString& why);

    QTemporaryDir directory_;
    QProcess bus_;
    QProcess mock_;
    std::unique_ptr<QDBusConnection> control_;
    bool running_ = false;
    bool missingTools_ = false;
};
