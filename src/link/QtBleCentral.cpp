#include "link/QtBleCentral.h"

#include <QBluetoothLocalDevice>
#include <QLoggingCategory>
#include <QtEndian>
#include <algorithm>

#include "link/QtBleLink.h"

Q_LOGGING_CATEGORY(BleCentralLog, "tq580.ble")

namespace {

// The AD type 0xFF payload as it is on the air: the company identifier
// (little-endian) in front of the bytes QtBluetooth files under it.
QByteArray ManufacturerBytes(const QBluetoothDeviceInfo& info) {
    QList<quint16> companies = info.manufacturerIds();
    if (companies.isEmpty()) return {};
    std::sort(companies.begin(), companies.end());  // a sensor sends one; be stable if not
    const quint16 company = companies.first();
    QByteArray bytes(2, '\0');
    qToLittleEndian(company, bytes.data());
    return bytes + info.manufacturerData(company);
}

}  // namespace

QtBleCentral::QtBleCentral(QObject* parent) : BleCentral(parent) {
    scanTimer_.setSingleShot(true);
    // Not a coarse timer's 5 %: the window's 6000 ms watchdog counts on the
    // 5000 ms scan ending on time.
    scanTimer_.setTimerType(Qt::PreciseTimer);
    connect(&scanTimer_, &QTimer::timeout, this, &QtBleCentral::EndScan);
}

QtBleCentral::~QtBleCentral() {
    if (agent_) {
        agent_->disconnect(this);
        // QtBluetooth would leave BlueZ discovering.
        if (agent_->isActive()) agent_->stop();
    }
    // The links, children of this, disconnect at BlueZ as they go.
    for (QtBleLink* link : std::as_const(links_)) link->disconnect(this);
}

QString QtBleCentral::UnusableReason() const {
    const QList<QBluetoothHostInfo> adapters = QBluetoothLocalDevice::allDevices();
    if (adapters.isEmpty()) return NoAdapterReason;
    const QBluetoothLocalDevice adapter(adapters.first().address());
    if (!adapter.isValid()) return NoAdapterReason;
    if (adapter.hostMode() == QBluetoothLocalDevice::HostPoweredOff) return AdapterOffReason;
    return {};
}

// ------------------------------------------------------------------- scans

bool QtBleCentral::DiscoverDevices(int timeoutMilliseconds, QString* error) {
    if (scanning_) {
        if (error) *error = QStringLiteral("A scan is already running.");
        return false;
    }
    if (!agent_) {
        agent_ = new QBluetoothDeviceDiscoveryAgent(this);
        // No time-out of QtBluetooth's own: with one it stops reporting a
        // device after its name changed. Our timer ends the scan.
        agent_->setLowEnergyDiscoveryTimeout(0);
        connect(agent_, &QBluetoothDeviceDiscoveryAgent::deviceDiscovered, this,
                &QtBleCentral::OnDeviceDiscovered);
        connect(agent_, &QBluetoothDeviceDiscoveryAgent::deviceUpdated, this, &QtBleCentral::OnDeviceUpdated);
        connect(agent_, &QBluetoothDeviceDiscoveryAgent::errorOccurred, this, &QtBleCentral::OnScanError);
        connect(agent_, &QBluetoothDeviceDiscoveryAgent::finished, this, &QtBleCentral::OnScanStoppedByItself);
        connect(agent_, &QBluetoothDeviceDiscoveryAgent::canceled, this, &QtBleCentral::OnScanStoppedByItself);
    }
    heard_.clear();
    lastReports_.clear();
    paired_.clear();  // pairing may have changed since the last scan
    localDevice_.reset();  // and the adapter may have been replaced
    startError_.clear();
    ++scanNumber_;
    // start() reports the devices BlueZ remembers, and its errors, inside the call.
    starting_ = true;
    agent_->start(QBluetoothDeviceDiscoveryAgent::LowEnergyMethod);
    starting_ = false;
    if (!startError_.isEmpty() || !agent_->isActive()) {
        if (agent_->isActive()) {
            stopping_ = true;
            agent_->stop();
            stopping_ = false;
        }
        if (error) {
            // Say it as plainly as at start-up when the adapter is the cause.
            const QString unusable = UnusableReason();
            *error = !unusable.isEmpty() ? unusable : !startError_.isEmpty() ? startError_ : agent_->errorString();
        }
        heard_.clear();
        return false;
    }
    scanning_ = true;
    scanTimer_.start(timeoutMilliseconds);
    return true;
}

void QtBleCentral::CancelDiscovery() {
    if (scanning_) {
        EndScan();
        return;
    }
    // Nothing runs: still one end event, with what the last scan found.
    const QList<BleDevicePtr> devices = lastHeard_;
    Post([this, devices] { emit EndDiscoverDevices(devices); });
}

void QtBleCentral::EndScan() {
    if (!scanning_) return;
    scanning_ = false;
    scanTimer_.stop();
    if (agent_->isActive()) {
        stopping_ = true;
        agent_->stop();  // emits canceled inside
        stopping_ = false;
    }
    lastHeard_ = heard_;
    // An event of its own, never inside the call that ended the scan.
    const QList<BleDevicePtr> devices = heard_;
    Post([this, devices] { emit EndDiscoverDevices(devices); });
}

void QtBleCentral::OnScanError(QBluetoothDeviceDiscoveryAgent::Error error) {
    if (starting_) {
        startError_ = error == QBluetoothDeviceDiscoveryAgent::PoweredOffError ? AdapterOffReason
                                                                                : agent_->errorString();
        if (startError_.isEmpty()) startError_ = QStringLiteral("The scan could not be started.");
        return;
    }
    qCWarning(BleCentralLog) << "scan error:" << error << agent_->errorString();
    OnScanStoppedByItself();
}

void QtBleCentral::OnScanStoppedByItself() {
    if (starting_ || stopping_ || !scanning_) return;
    // The scan ended under us (adapter gone, switched off): end it as the
    // timer would, once out of QtBluetooth's signal.
    const int scan = scanNumber_;
    QMetaObject::invokeMethod(
        this, [this, scan] { if (scan == scanNumber_) EndScan(); }, Qt::QueuedConnection);
}

void QtBleCentral::OnDeviceDiscovered(const QBluetoothDeviceInfo& info) {
    if (!starting_ && !scanning_) return;
    infos_.insert(info.address().toString(), info);
    // BlueZ hands over the devices it remembers with RSSI 0: those are not
    // heard until a fresh report comes.
    if (info.rssi() == 0) return;
    Heard(info);
}

void QtBleCentral::OnDeviceUpdated(const QBluetoothDeviceInfo& info, QBluetoothDeviceInfo::Fields fields) {
    if (!starting_ && !scanning_) return;
    infos_.insert(info.address().toString(), info);
    // BlueZ changes RSSI and manufacturer data only on hearing the device;
    // an RSSI of 0 is BlueZ forgetting it at the end of a discovery.
    const bool newData = fields.testFlag(QBluetoothDeviceInfo::Field::ManufacturerData);
    const bool newRssi = fields.testFlag(QBluetoothDeviceInfo::Field::RSSI) && info.rssi() != 0;
    if (newData || newRssi) Heard(info);
}

void QtBleCentral::Heard(const QBluetoothDeviceInfo& info) {
    // QtBluetooth announces one change of BlueZ's twice, as deviceDiscovered
    // and as deviceUpdated; BlueZ itself never repeats an unchanged report.
    const QByteArray manufacturerData = ManufacturerBytes(info);
    const Report report{info.rssi(), info.name(), manufacturerData};
    const QString address = info.address().toString();
    const auto last = lastReports_.constFind(address);
    if (last != lastReports_.cend() && *last == report) return;
    lastReports_.insert(address, report);

    const BleDevicePtr device = DeviceFor(info);
    if (!heard_.contains(device)) heard_.append(device);
    Post([this, device, manufacturerData] { emit DiscoverLEDevice(device, manufacturerData); });
}

BleDevicePtr QtBleCentral::DeviceFor(const QBluetoothDeviceInfo& info) {
    const QString address = info.address().toString();
    BleDevicePtr& device = devices_[address];
    if (!device) {
        device = std::make_shared<BleDevice>();
        device->Address = address;
    }
    if (!info.name().isEmpty()) device->DeviceName = info.name();
    device->Paired = IsPaired(address);
    return device;
}

bool QtBleCentral::IsPaired(const QString& address) {
    const auto cached = paired_.constFind(address);
    if (cached != paired_.cend()) return *cached;
    // A blocking D-Bus call: once per device and scan.
    if (!localDevice_) localDevice_ = std::make_unique<QBluetoothLocalDevice>();
    const bool paired =
        localDevice_->pairingStatus(QBluetoothAddress(address)) != QBluetoothLocalDevice::Unpaired;
    paired_.insert(address, paired);
    return paired;
}

// ------------------------------------------------------------- connections

bool QtBleCentral::DiscoverServices(const BleDevicePtr& device) {
    if (!device || devices_.value(device->Address) != device || !infos_.contains(device->Address))
        return false;
    // The link checks the real services when it comes up and refuses a
    // device without them; here the handles the program will name.
    if (!FindCharacteristic(FindService(device, UartServiceUuid), UartNotifyUuid) ||
        !FindCharacteristic(FindService(device, UartServiceUuid), UartWriteUuid)) {
        auto service = std::make_shared<BleService>();
        service->UUID = UartServiceUuid;
        service->Characteristics = {std::make_shared<BleCharacteristic>(BleCharacteristic{UartNotifyUuid}),
                                    std::make_shared<BleCharacteristic>(BleCharacteristic{UartWriteUuid})};
        device->Services = {service};
    }
    return true;
}

bool QtBleCentral::Connect(const BleDevicePtr& device, QString* error) {
    if (!device || devices_.value(device->Address) != device || !infos_.contains(device->Address)) {
        if (error) *error = QStringLiteral("The device was not found in a scan.");
        return false;
    }
    const QString address = device->Address;
    if (waitingConnects_.contains(address)) return true;  // opens when the old link is down
    if (QtBleLink* current = links_.value(address); current && !current->IsFinished()) {
        ++connectRequests_[address];
        if (current->IsClosing()) {
            // BlueZ has not confirmed the disconnect yet, and a second
            // connection to the same device cannot be asked for until it has.
            waitingConnects_.insert(address);
        } else if (current->IsUp()) {
            Post([this, device] { emit Connected(device); });
        }
        // Otherwise still connecting: its Connected or Disconnected answers
        // this connect too.
        return true;
    }
    if (!OpenLink(device, error)) return false;
    ++connectRequests_[address];
    return true;
}

bool QtBleCentral::OpenLink(const BleDevicePtr& device, QString* error) {
    auto* link = new QtBleLink(infos_.value(device->Address), connectTimeout_, this);
    connect(link, &QtBleLink::Up, this, [this, device] { Post([this, device] { emit Connected(device); }); });
    connect(link, &QtBleLink::Down, this, [this, link, device] { OnLinkDown(link, device); });
    connect(link, &QtBleLink::ValueChanged, this, [this, device](const QUuid& characteristic, const QByteArray& value) {
        Post([this, device, characteristic, value] { emit CharacteristicRead(device, characteristic, value, 0); });
    });
    if (!link->Open(error)) {
        link->deleteLater();
        return false;
    }
    links_.insert(device->Address, link);
    return true;
}

void QtBleCentral::OnLinkDown(QtBleLink* link, const BleDevicePtr& device) {
    if (links_.value(device->Address) == link) links_.remove(device->Address);
    link->deleteLater();  // not inside its own signal
    if (waitingConnects_.contains(device->Address)) {
        // The end of the link the program let go is not news to it: what it
        // hears next is the waiting connect's Connected or Disconnected.
        // Opened from the queue: this may be inside a QtBluetooth signal.
        Post([this, device] { OpenWaitingConnect(device); });
        return;
    }
    PostDisconnected(device);
}

void QtBleCentral::OpenWaitingConnect(const BleDevicePtr& device) {
    if (!waitingConnects_.remove(device->Address)) return;  // called off meanwhile
    QString error;
    if (!OpenLink(device, &error)) {
        qCWarning(BleCentralLog) << "connect to" << device->Address << "after the close refused:" << error;
        emit Disconnected(device);  // already on the queue: in order
    }
}

void QtBleCentral::PostDisconnected(const BleDevicePtr& device) {
    const quint64 request = connectRequests_.value(device->Address);
    Post([this, device, request] {
        // A connect asked since answers for itself.
        if (connectRequests_.value(device->Address) == request) emit Disconnected(device);
    });
}

void QtBleCentral::SetCharacteristicNotification(const BleDevicePtr& device,
                                                 const BleCharacteristicPtr& characteristic, bool enable) {
    if (!device || !characteristic) return;
    if (QtBleLink* link = links_.value(device->Address)) link->SetNotification(characteristic->UUID, enable);
}

void QtBleCentral::WriteCharacteristic(const BleDevicePtr& device, const BleCharacteristicPtr& characteristic,
                                       const QByteArray& value) {
    if (!device || !characteristic) return;
    if (QtBleLink* link = links_.value(device->Address)) link->Write(characteristic->UUID, value);
}

void QtBleCentral::Disconnect(const BleDevicePtr& device) {
    if (!device) return;
    QtBleLink* link = links_.value(device->Address);
    if (waitingConnects_.remove(device->Address)) {
        // The waiting connect is called off. Its one Disconnected comes with
        // the end of the old link, or now when that has ended already.
        if (!link) PostDisconnected(device);
        return;
    }
    if (link) link->Close();
}

// ------------------------------------------------------------------ events

void QtBleCentral::Post(std::function<void()> event) {
    events_.push_back(std::move(event));
    if (flushQueued_) return;
    flushQueued_ = true;
    QMetaObject::invokeMethod(this, &QtBleCentral::Flush, Qt::QueuedConnection);
}

void QtBleCentral::Flush() {
    flushQueued_ = false;
    // A handler may call back in and flush again; each event goes out once,
    // in order.
    while (!events_.empty()) {
        const std::function<void()> event = std::move(events_.front());
        events_.pop_front();
        event();
    }
}
