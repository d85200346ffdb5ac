#include "bluez/mock/BluezMock.h"

#include <gtest/gtest.h>

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

namespace {

constexpr int StartTimeoutMilliseconds = 15000;
constexpr int StopTimeoutMilliseconds = 3000;
const QString ConnectionName = QStringLiteral("tq580-bluez-mock-control");

// Debian's python3-dbusmock lives with the system interpreter, whatever
// python3 comes first on the PATH.
QString SystemPython() {
    return QFileInfo::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                                  : QStringLiteral("python3");
}

QString BusConfiguration(const QString& socket) {
    return QStringLiteral(
               "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
               " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
               "<busconfig>\n"
               "  <type>system</type>\n"
               "  <listen>unix:path=%1</listen>\n"
               "  <auth>EXTERNAL</auth>\n"
               "  <policy context=\"default\">\n"
               "    <allow user=\"*\"/>\n"
               "    <allow own=\"*\"/>\n"
               "    <allow send_type=\"method_call\"/>\n"
               "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
               "    <allow eavesdrop=\"true\"/>\n"
               "  </policy>\n"
               "</busconfig>\n")
        .arg(socket);
}

// Ends a process by its id: SIGTERM, then SIGKILL when it does not go.
void EndProcess(QProcess& process) {
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();
    if (!process.waitForFinished(StopTimeoutMilliseconds)) {
        process.kill();
        process.waitForFinished(StopTimeoutMilliseconds);
    }
}

}  // namespace

BluezMock::BluezMock() = default;

BluezMock::~BluezMock() { Stop(); }

QString BluezMock::ForgetAll(const QString& why) {
    Stop();
    return why;
}

QString BluezMock::Start() {
    if (running_) return {};
    const QString python = SystemPython();
    QProcess probe;
    probe.start(python, {QStringLiteral("-c"), QStringLiteral("import dbusmock")});
    missingTools_ = true;
    if (!probe.waitForFinished(StartTimeoutMilliseconds) || probe.exitStatus() != QProcess::NormalExit ||
        probe.exitCode() != 0)
        return QStringLiteral("python3-dbusmock is not installed (scripts/install-packages.sh installs it)");
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty()) return QStringLiteral("dbus-daemon is not installed");
    missingTools_ = false;
    if (!directory_.isValid()) return QStringLiteral("no temporary folder for the bus");

    const QString socket = directory_.filePath(QStringLiteral("system_bus_socket"));
    const QString configuration = directory_.filePath(QStringLiteral("bus.conf"));
    QFile file(configuration);
    if (!file.open(QIODevice::WriteOnly) || file.write(BusConfiguration(socket).toUtf8()) < 0)
        return QStringLiteral("cannot write the bus configuration");
    file.close();

    bus_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    bus_.setStandardOutputFile(QProcess::nullDevice());
    bus_.start(daemon, {QStringLiteral("--config-file=") + configuration, QStringLiteral("--nofork"),
                        QStringLiteral("--nopidfile")});
    if (!bus_.waitForStarted(StartTimeoutMilliseconds)) return ForgetAll(QStringLiteral("dbus-daemon did not start"));
    const QDeadlineTimer busDeadline(StartTimeoutMilliseconds);
    while (!QFileInfo::exists(socket) && !busDeadline.hasExpired() && bus_.state() == QProcess::Running)
        QThread::msleep(10);
    if (!QFileInfo::exists(socket)) return ForgetAll(QStringLiteral("the private bus did not come up"));

    const QString address = QStringLiteral("unix:path=") + socket;
    // Before any QtBluetooth object: it connects to the system bus once.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", address.toUtf8());
    qputenv("BLUETOOTH_FORCE_DBUS_LE_VERSION", "5.66");

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), address);
    mock_.setProcessEnvironment(environment);
    mock_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // The mock logs every call on its standard output: into a file, so that
    // a full pipe can never stall it.
    mock_.setStandardOutputFile(directory_.filePath(QStringLiteral("mock.log")));
    mock_.start(python, {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--system"),
                         QStringLiteral("-t"), QStringLiteral(TQ580_BLUEZ_MOCK_TEMPLATE)});
    if (!mock_.waitForStarted(StartTimeoutMilliseconds)) return ForgetAll(QStringLiteral("the mock did not start"));

    control_ = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, ConnectionName));
    if (!control_->isConnected()) return ForgetAll(QStringLiteral("cannot reach the private bus"));
    const QDeadlineTimer mockDeadline(StartTimeoutMilliseconds);
    while (!control_->interface()->isServiceRegistered(QStringLiteral("org.bluez")).value()) {
        if (mockDeadline.hasExpired() || mock_.state() != QProcess::Running)
            return ForgetAll(QStringLiteral("the mock did not take the name org.bluez"));
        QThread::msleep(20);
    }
    running_ = true;
    return {};
}

void BluezMock::Stop() {
    running_ = false;
    if (control_) {
        control_.reset();
        QDBusConnection::disconnectFromBus(ConnectionName);
    }
    EndProcess(mock_);
    EndProcess(bus_);
}

QVariantList BluezMock::Call(const QString& method, const QVariantList& arguments) {
    if (!running_) {
        ADD_FAILURE() << "the BlueZ mock is not running";
        return {};
    }
    QDBusMessage message = QDBusMessage::createMethodCall(QStringLiteral("org.bluez"), QStringLiteral("/"),
                                                          QStringLiteral("org.bluez.Mock"), method);
    message.setArguments(arguments);
    const QDBusMessage reply = control_->call(message, QDBus::Block, 5000);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        ADD_FAILURE() << "mock " << method.toStdString() << ": " << reply.errorMessage().toStdString();
        return {};
    }
    return reply.arguments();
}

QVariant BluezMock::DeviceProperty(const QString& address, const QString& name) {
    const QString path = QStringLiteral("/org/bluez/%1/dev_%2")
                             .arg(QLatin1String(Adapter), QString(address).replace(':', '_').toUpper());
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.bluez"), path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    message.setArguments({QStringLiteral("org.bluez.Device1"), name});
    const QDBusMessage reply = control_->call(message, QDBus::Block, 5000);
    if (reply.type() == QDBusMessage::ErrorMessage || reply.arguments().isEmpty()) return {};
    return reply.arguments().first().value<QDBusVariant>().variant();
}

void BluezMock::AddAdapter() { Call(QStringLiteral("AddAdapter"), {QString(Adapter), QStringLiteral("tq580-test")}); }

void BluezMock::RemoveAdapter() { Call(QStringLiteral("RemoveAdapterWithDevices"), {QString(Adapter)}); }

void BluezMock::SetPowered(bool powered) { Call(QStringLiteral("SetPowered"), {QString(Adapter), powered}); }

void BluezMock::AddSensor(const QString& address, const QString& name, bool paired) {
    Call(QStringLiteral("AddSensor"), {QString(Adapter), address, name, paired});
}

void BluezMock::RemoveSensor(const QString& address) {
    // BlueZ's own Adapter1.RemoveDevice, as when the user forgets a device.
    const QString adapterPath = QStringLiteral("/org/bluez/") + QLatin1String(Adapter);
    QDBusMessage message = QDBusMessage::createMethodCall(QStringLiteral("org.bluez"), adapterPath,
                                                          QStringLiteral("org.bluez.Adapter1"),
                                                          QStringLiteral("RemoveDevice"));
    message.setArguments({QVariant::fromValue(QDBusObjectPath(
        adapterPath + QStringLiteral("/dev_") + QString(address).replace(':', '_').toUpper()))});
    const QDBusMessage reply = control_->call(message, QDBus::Block, 5000);
    if (reply.type() == QDBusMessage::ErrorMessage) ADD_FAILURE() << reply.errorMessage().toStdString();
}

bool BluezMock::Advertise(const QString& address, quint16 companyId, const QByteArray& data, qint16 rssi) {
    const QVariantList reply =
        Call(QStringLiteral("Advertise"), {QString(Adapter), address, QVariant::fromValue(companyId), data,
                                           QVariant::fromValue(rssi)});
    return !reply.isEmpty() && reply.first().toBool();
}

void BluezMock::AdvertiseEvery(const QString& address, quint16 companyId, const QByteArray& data, qint16 rssi,
                               int intervalMilliseconds) {
    Call(QStringLiteral("AdvertiseEvery"), {QString(Adapter), address, QVariant::fromValue(companyId), data,
                                            QVariant::fromValue(rssi), intervalMilliseconds});
}

void BluezMock::SetName(const QString& address, const QString& name) {
    Call(QStringLiteral("SetName"), {QString(Adapter), address, name});
}

void BluezMock::SetPaired(const QString& address, bool paired) {
    Call(QStringLiteral("SetPaired"), {QString(Adapter), address, paired});
}

void BluezMock::SetLink(const QString& address, int attMtu, const QString& connectMode, bool uartService,
                        const QStringList& writeFlags) {
    Call(QStringLiteral("SetLink"), {QString(Adapter), address, QVariant::fromValue(quint16(attMtu)), connectMode,
                                     uartService, writeFlags});
}

void BluezMock::SetReply(const QString& address, const QByteArray& reply) {
    Call(QStringLiteral("SetReply"), {QString(Adapter), address, reply});
}

void BluezMock::Notify(const QString& address, const QByteArray& value) {
    Call(QStringLiteral("Notify"), {QString(Adapter), address, value});
}

void BluezMock::DropLink(const QString& address) { Call(QStringLiteral("DropLink"), {QString(Adapter), address}); }

void BluezMock::SetDisconnectDelay(const QString& address, int milliseconds) {
    Call(QStringLiteral("SetDisconnectDelay"), {QString(Adapter), address, QVariant::fromValue(quint32(milliseconds))});
}

void BluezMock::HoldDisconnect(const QString& address, bool held) {
    Call(QStringLiteral("HoldDisconnect"), {QString(Adapter), address, held});
}

QList<BluezMock::Write> BluezMock::Writes(const QString& address) {
    QList<Write> writes;
    const QVariantList reply = Call(QStringLiteral("GetWrites"), {QString(Adapter), address});
    if (reply.isEmpty()) return writes;
    const QDBusArgument array = reply.first().value<QDBusArgument>();
    array.beginArray();
    while (!array.atEnd()) {
        Write write;
        array.beginStructure();
        array >> write.value >> write.type;
        array.endStructure();
        writes.append(write);
    }
    array.endArray();
    return writes;
}

bool BluezMock::Notifying(const QString& address) {
    const QVariantList reply = Call(QStringLiteral("GetNotifying"), {QString(Adapter), address});
    return !reply.isEmpty() && reply.first().toBool();
}

bool BluezMock::Connected(const QString& address) {
    return DeviceProperty(address, QStringLiteral("Connected")).toBool();
}

bool BluezMock::Discovering() {
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.bluez"), QStringLiteral("/org/bluez/") + QLatin1String(Adapter),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    message.setArguments({QStringLiteral("org.bluez.Adapter1"), QStringLiteral("Discovering")});
    const QDBusMessage reply = control_->call(message, QDBus::Block, 5000);
    if (reply.type() == QDBusMessage::ErrorMessage || reply.arguments().isEmpty()) return false;
    return reply.arguments().first().value<QDBusVariant>().variant().toBool();
}

void BluezMock::ClearAll() { Call(QStringLiteral("ClearAll")); }
