#include "link/QtBleLink.h"

#include <QLoggingCategory>

#include "link/BleCentral.h"

Q_LOGGING_CATEGORY(BleLinkLog, "tq580.ble.link")

QtBleLink::QtBleLink(const QBluetoothDeviceInfo& device, int connectTimeoutMilliseconds, QObject* parent)
    : QObject(parent), controller_(QLowEnergyController::createCentral(device, this)) {
    connectTimer_.setSingleShot(true);
    connectTimer_.setTimerType(Qt::PreciseTimer);
    connectTimer_.setInterval(connectTimeoutMilliseconds);
    connect(&connectTimer_, &QTimer::timeout, this, [this] { Fail(QStringLiteral("connect timed out")); });
    closeTimer_.setSingleShot(true);
    closeTimer_.setInterval(CloseTimeoutMilliseconds);
    connect(&closeTimer_, &QTimer::timeout, this, &QtBleLink::Finish);
    operationTimer_.setSingleShot(true);
    operationTimer_.setInterval(OperationTimeoutMilliseconds);
    connect(&operationTimer_, &QTimer::timeout, this, [this] {
        qCWarning(BleLinkLog) << "GATT operation not answered; going on with the next";
        OperationDone();
    });

    connect(controller_, &QLowEnergyController::connected, this, &QtBleLink::OnConnected);
    connect(controller_, &QLowEnergyController::disconnected, this, &QtBleLink::Finish);
    connect(controller_, &QLowEnergyController::errorOccurred, this, &QtBleLink::OnControllerError);
    // A connect that fails ends in UnconnectedState without disconnected().
    connect(controller_, &QLowEnergyController::stateChanged, this,
            [this](QLowEnergyController::ControllerState state) {
                if (state == QLowEnergyController::UnconnectedState && !opening_) Finish();
            });
}

QtBleLink::~QtBleLink() {
    // Nothing of QtBluetooth may call back into a half-destroyed link.
    controller_->disconnect(this);
    if (service_) service_->disconnect(this);
    // Going away with the link up (the program closing): BlueZ must not keep it.
    if (!finished_ && controller_->state() != QLowEnergyController::UnconnectedState)
        controller_->disconnectFromDevice();
}

bool QtBleLink::Open(QString* error) {
    opening_ = true;
    refusedInOpen_ = false;
    connectTimer_.start();
    // QtBluetooth reports some refusals (a device BlueZ does not know) by
    // signal inside this call.
    controller_->connectToDevice();
    opening_ = false;
    if (refusedInOpen_ || controller_->state() == QLowEnergyController::UnconnectedState) {
        connectTimer_.stop();
        finished_ = true;
        if (error) *error = refusal_.isEmpty() ? controller_->errorString() : refusal_;
        return false;
    }
    return true;
}

void QtBleLink::Close() {
    if (finished_ || closing_) return;
    closing_ = true;
    connectTimer_.stop();
    // What was written before the disconnect goes out first ("ED", then
    // notifications off, then the disconnect).
    DisconnectWhenDrained();
}

void QtBleLink::DisconnectWhenDrained() {
    if (!closing_ || disconnecting_ || finished_ || operationInFlight_ || !operations_.empty()) return;
    disconnecting_ = true;
    if (controller_->state() == QLowEnergyController::UnconnectedState) {
        Finish();
        return;
    }
    closeTimer_.start();
    controller_->disconnectFromDevice();  // may report disconnected inside
}

void QtBleLink::OnConnected() {
    if (finished_ || service_) return;
    // Service discovery reads BlueZ's object tree and reports inside the call.
    controller_->discoverServices();
    if (finished_) return;
    if (!controller_->services().contains(QBluetoothUuid(UartServiceUuid))) {
        Fail(QStringLiteral("the device has no UART service"));
        return;
    }
    service_ = controller_->createServiceObject(QBluetoothUuid(UartServiceUuid), this);
    if (!service_) {
        Fail(QStringLiteral("the UART service could not be opened"));
        return;
    }
    connect(service_, &QLowEnergyService::stateChanged, this, &QtBleLink::OnServiceStateChanged);
    connect(service_, &QLowEnergyService::characteristicChanged, this,
            [this](const QLowEnergyCharacteristic& characteristic, const QByteArray& value) {
                if (!finished_) emit ValueChanged(characteristic.uuid(), value);
            });
    connect(service_, &QLowEnergyService::characteristicWritten, this, &QtBleLink::OperationDone);
    connect(service_, &QLowEnergyService::descriptorWritten, this, &QtBleLink::OperationDone);
    connect(service_, &QLowEnergyService::errorOccurred, this, [this](QLowEnergyService::ServiceError error) {
        qCWarning(BleLinkLog) << "GATT operation failed:" << error;
        OperationDone();
    });
    service_->discoverDetails(QLowEnergyService::SkipValueDiscovery);
}

void QtBleLink::OnServiceStateChanged(QLowEnergyService::ServiceState state) {
    if (finished_ || up_ || state != QLowEnergyService::RemoteServiceDiscovered) return;
    const QLowEnergyCharacteristic notify = service_->characteristic(QBluetoothUuid(UartNotifyUuid));
    const QLowEnergyCharacteristic write = service_->characteristic(QBluetoothUuid(UartWriteUuid));
    const bool canWrite =
        write.isValid() && (write.properties() & (QLowEnergyCharacteristic::Write |
                                                  QLowEnergyCharacteristic::WriteNoResponse));
    if (!notify.isValid() || !canWrite ||
        !notify.clientCharacteristicConfiguration().isValid()) {
        Fail(QStringLiteral("the UART characteristics are missing"));
        return;
    }
    connectTimer_.stop();
    up_ = true;
    emit Up();
}

void QtBleLink::OnControllerError(QLowEnergyController::Error error) {
    if (opening_) {
        refusedInOpen_ = true;
        refusal_ = controller_->errorString();
        return;
    }
    qCWarning(BleLinkLog) << "controller error:" << error << controller_->errorString();
    if (!up_) {
        Fail(controller_->errorString());
    } else if (controller_->state() == QLowEnergyController::UnconnectedState) {
        Finish();
    }
}

void QtBleLink::Fail(const QString& why) {
    if (finished_) return;
    qCWarning(BleLinkLog) << "connection abandoned:" << why;
    Close();
}

void QtBleLink::Finish() {
    if (finished_) return;
    finished_ = true;
    connectTimer_.stop();
    closeTimer_.stop();
    operationTimer_.stop();
    operations_.clear();
    operationInFlight_ = false;
    emit Down();
}

void QtBleLink::SetNotification(const QUuid& characteristic, bool enable) {
    if (!IsUp()) return;
    operations_.push_back({characteristic, true, QByteArray::fromHex(enable ? "0100" : "0000"),
                           QLowEnergyService::WriteWithResponse});
    StartNextOperation();
}

void QtBleLink::Write(const QUuid& characteristic, const QByteArray& value) {
    if (!IsUp() || value.isEmpty()) return;
    const auto properties = service_->characteristic(QBluetoothUuid(characteristic)).properties();
    if (properties & QLowEnergyCharacteristic::Write) {
        // A write request: BlueZ turns one longer than the ATT payload into a
        // long write, so any length arrives whole.
        operations_.push_back({characteristic, false, value, QLowEnergyService::WriteWithResponse});
    } else {
        for (qsizetype at = 0; at < value.size(); at += SmallestAttPayload)
            operations_.push_back({characteristic, false, value.mid(at, SmallestAttPayload),
                                   QLowEnergyService::WriteWithoutResponse});
    }
    StartNextOperation();
}

void QtBleLink::StartNextOperation() {
    while (!operationInFlight_ && !operations_.empty() && up_ && !finished_) {
        const Operation operation = operations_.front();
        operations_.pop_front();
        const QLowEnergyCharacteristic characteristic =
            service_->characteristic(QBluetoothUuid(operation.characteristic));
        if (!characteristic.isValid()) {
            qCWarning(BleLinkLog) << "no characteristic" << operation.characteristic;
            continue;
        }
        if (operation.descriptor) {
            operationInFlight_ = true;
            operationTimer_.start();
            service_->writeDescriptor(characteristic.clientCharacteristicConfiguration(), operation.value);
        } else if (operation.mode == QLowEnergyService::WriteWithResponse) {
            operationInFlight_ = true;
            operationTimer_.start();
            service_->writeCharacteristic(characteristic, operation.value, operation.mode);
        } else {
            // No answer comes for a write without response; QtBluetooth keeps
            // its own order for them.
            service_->writeCharacteristic(characteristic, operation.value, operation.mode);
        }
    }
    DisconnectWhenDrained();
}

void QtBleLink::OperationDone() {
    if (!operationInFlight_) return;
    operationInFlight_ = false;
    operationTimer_.stop();
    StartNextOperation();
}
