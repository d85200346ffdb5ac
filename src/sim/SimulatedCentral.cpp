#include "sim/SimulatedCentral.h"

#include <QMetaObject>
#include <algorithm>
#include <limits>
#include <utility>

namespace {

constexpr int64_t Never = std::numeric_limits<int64_t>::max();

// A fixed hash, so that a sensor's physiology is the same in every run.
uint32_t SeedOf(const QString& name) {
    uint32_t hash = 2166136261u;
    for (QChar c : name) hash = (hash ^ c.unicode()) * 16777619u;
    return hash;
}

QString AddressOf(int index) {
    return QStringLiteral("F0:5A:00:00:%1:%2")
        .arg(index / 256, 2, 16, QLatin1Char('0'))
        .arg(index % 256, 2, 16, QLatin1Char('0'))
        .toUpper();
}

}  // namespace

SimulatedCentral::SimulatedCentral(const SimulationOptions& options, QObject* parent)
    : BleCentral(parent),
      time_(options.clock, options.tickIntervalMilliseconds > 0),
      air_(static_cast<int64_t>(options.linkBytesPerSecond) * std::max(options.airCapacityInLinks, 1)) {
    const QList<SimulatedSensorSpec> sensorSetups = options.sensors.isEmpty() ? DefaultSensors() : options.sensors;
    peripherals_.reserve(static_cast<size_t>(sensorSetups.size()));
    SensorRadio& radio = *this;
    for (int index = 0; index < sensorSetups.size(); ++index) {
        const SimulatedSensorSpec& sensorSetup = sensorSetups[index];
        SensorTiming timing;
        timing.notificationSize = options.notificationSize;
        timing.linkBytesPerSecond = options.linkBytesPerSecond;
        timing.connectDelayMilliseconds = options.connectDelayMilliseconds;
        // Only the first drops: measured together, the others show they go on.
        if (options.dropAfterSeconds >= 0 && index == 0) {
            timing.dropAfterMicroseconds = static_cast<int64_t>(options.dropAfterSeconds * 1e6);
            timing.dropForMicroseconds = static_cast<int64_t>(options.dropForSeconds * 1e6);
        }
        // Each sensor advertises every 200 to 500 ms on a rhythm of its own.
        timing.advertisingIntervalMilliseconds = 200 + (index * 53) % 300;
        timing.advertisingPhaseMilliseconds = (index * 37) % timing.advertisingIntervalMilliseconds;

        Peripheral peripheral;
        peripheral.sensor = std::make_unique<SimulatedSensor>(sensorSetup, timing, SeedOf(sensorSetup.name), radio, time_, &air_);
        peripheral.device = std::make_shared<BleDevice>();
        peripheral.device->DeviceName = sensorSetup.name;
        peripheral.device->Address = AddressOf(index + 1);
        peripheral.device->Paired = sensorSetup.paired;
        peripheral.service = std::make_shared<BleService>();
        peripheral.service->UUID = UartServiceUuid;
        for (const QUuid& uuid : {UartWriteUuid, UartNotifyUuid}) {
            auto characteristic = std::make_shared<BleCharacteristic>();
            characteristic->UUID = uuid;
            peripheral.service->Characteristics.append(characteristic);
        }
        sensors_.push_back(peripheral.sensor.get());
        peripherals_.push_back(std::move(peripheral));
    }
    if (options.tickIntervalMilliseconds > 0) {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(options.tickIntervalMilliseconds);
        connect(&timer_, &QTimer::timeout, this, &SimulatedCentral::Tick);
        timer_.start();
    }
}

SimulatedCentral::~SimulatedCentral() = default;

template <typename Event>
void SimulatedCentral::Post(Event event) {
    QMetaObject::invokeMethod(this, std::move(event), Qt::QueuedConnection);
}

SimulatedCentral::Peripheral* SimulatedCentral::Find(const BleDevicePtr& device) {
    for (Peripheral& peripheral : peripherals_)
        if (peripheral.device == device) return &peripheral;
    return nullptr;
}

SimulatedCentral::Peripheral& SimulatedCentral::Of(const SimulatedSensor& sensor) {
    for (Peripheral& peripheral : peripherals_)
        if (peripheral.sensor.get() == &sensor) return peripheral;
    Q_UNREACHABLE();
}

SimulatedSensor* SimulatedCentral::Sensor(const QString& name) const {
    for (SimulatedSensor* sensor : sensors_)
        if (sensor->Name() == name) return sensor;
    return nullptr;
}

bool SimulatedCentral::DiscoverDevices(int timeoutMilliseconds, QString* error) {
    if (scanning_) {
        if (error) *error = QStringLiteral("A scan is already running.");
        return false;
    }
    const int64_t now = time_.NowMicroseconds();
    scanning_ = true;
    scanEnd_ = timeoutMilliseconds > 0 ? now + static_cast<int64_t>(timeoutMilliseconds) * 1000 : Never;
    heard_.clear();
    for (SimulatedSensor* sensor : sensors_) sensor->RestartAdvertising(now);
    return true;
}

void SimulatedCentral::CancelDiscovery() {
    // Whether or not a scan runs, the end event follows, with what was heard.
    scanning_ = false;
    const QList<BleDevicePtr> heard = heard_;
    Post([this, heard] { emit EndDiscoverDevices(heard); });
}

void SimulatedCentral::EndScan() {
    scanning_ = false;
    const QList<BleDevicePtr> heard = heard_;
    Post([this, heard] { emit EndDiscoverDevices(heard); });
}

bool SimulatedCentral::DiscoverServices(const BleDevicePtr& device) {
    const Peripheral* peripheral = Find(device);
    if (!peripheral || !(peripheral->sensor->Advertising() || peripheral->sensor->Connected())) return false;
    device->Services = {peripheral->service};
    return true;
}

bool SimulatedCentral::Connect(const BleDevicePtr& device, QString* error) {
    Peripheral* peripheral = Find(device);
    if (!peripheral) {
        if (error) *error = QStringLiteral("Unknown device.");
        return false;
    }
    // The end of the last link is still on its way: the program let go of
    // that link, and must not take its end for this connection's.
    if (peripheral->endsPosted > 0) peripheral->connectWaiting = true;
    SimulatedSensor& sensor = *peripheral->sensor;
    if (sensor.Connected()) {
        ConnectionUp(sensor);  // already up: say so again
        return true;
    }
    // A sensor out of range never answers; the request itself still succeeds.
    if (sensor.Advertising()) sensor.BeginConnect(time_.NowMicroseconds());
    return true;
}

void SimulatedCentral::SetCharacteristicNotification(const BleDevicePtr& device,
                                                     const BleCharacteristicPtr& characteristic, bool enable) {
    const Peripheral* peripheral = Find(device);
    if (!peripheral || !characteristic || characteristic->UUID != UartNotifyUuid) return;
    if (peripheral->sensor->Connected()) peripheral->sensor->SetNotification(enable);
}

void SimulatedCentral::WriteCharacteristic(const BleDevicePtr& device, const BleCharacteristicPtr& characteristic,
                                           const QByteArray& value) {
    const Peripheral* peripheral = Find(device);
    if (!peripheral || !characteristic || characteristic->UUID != UartWriteUuid) return;
    peripheral->sensor->Receive(value, time_.NowMicroseconds());
}

void SimulatedCentral::Disconnect(const BleDevicePtr& device) {
    Peripheral* peripheral = Find(device);
    if (!peripheral) return;
    // Calls off a connect asked after the last link's end: that end is the
    // one Disconnected the program hears.
    peripheral->connectWaiting = false;
    SimulatedSensor& sensor = *peripheral->sensor;
    const bool wasConnected = sensor.Connected();
    sensor.EndConnection(time_.NowMicroseconds());
    if (wasConnected) ConnectionLost(sensor);
}

void SimulatedCentral::Tick() {
    const int64_t now = time_.NowMicroseconds();
    for (;;) {
        int64_t due = scanning_ ? scanEnd_ : Never;
        int64_t readySince = due;
        SimulatedSensor* next = nullptr;
        for (SimulatedSensor* sensor : sensors_) {
            const SimulatedSensor::DueTime sensorDue = sensor->NextDueTime(scanning_);
            // Links that wait for the air take turns: the one that waited
            // longest goes first, as a radio's connection events go round.
            if (sensorDue.at < due || (next && sensorDue.at == due && sensorDue.readySince < readySince)) {
                due = sensorDue.at;
                readySince = sensorDue.readySince;
                next = sensor;
            }
        }
        if (due > now) return;
        if (next)
            next->RunDue(due, scanning_);
        else
            EndScan();
    }
}

void SimulatedCentral::Advertised(SimulatedSensor& sensor, const QByteArray& manufacturerData) {
    const BleDevicePtr device = Of(sensor).device;
    if (!heard_.contains(device)) heard_.append(device);
    Post([this, device, manufacturerData] { emit DiscoverLEDevice(device, manufacturerData); });
}

void SimulatedCentral::ConnectionUp(SimulatedSensor& sensor) {
    const BleDevicePtr device = Of(sensor).device;
    const uint64_t generation = sensor.ConnectionGeneration();
    SimulatedSensor* target = &sensor;
    Post([this, device, target, generation] {
        if (target->ConnectionGeneration() == generation && target->Connected()) emit Connected(device);
    });
}

void SimulatedCentral::Notified(SimulatedSensor& sensor, const QByteArray& value) {
    const BleDevicePtr device = Of(sensor).device;
    const uint64_t generation = sensor.ConnectionGeneration();
    SimulatedSensor* source = &sensor;
    // A notification still queued when its connection ended is never delivered.
    Post([this, device, source, generation, value] {
        if (source->ConnectionGeneration() == generation) emit CharacteristicRead(device, UartNotifyUuid, value, 0);
    });
}

void SimulatedCentral::ConnectionLost(SimulatedSensor& sensor) {
    Peripheral& peripheral = Of(sensor);
    ++peripheral.endsPosted;
    Peripheral* ended = &peripheral;  // the peripherals never move
    Post([this, ended] {
        --ended->endsPosted;
        if (std::exchange(ended->connectWaiting, false)) return;
        emit Disconnected(ended->device);
    });
}

std::unique_ptr<SimulatedCentral> CreateSimulatedCentral(const SimulationOptions& options) {
    return std::make_unique<SimulatedCentral>(options);
}
