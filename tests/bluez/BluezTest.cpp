#include "bluez/BluezTest.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QtEndian>

namespace {

struct SharedMockState {
    BluezMock mock;
    QString problem;
    bool started = false;
};

SharedMockState& State() {
    static SharedMockState state;
    return state;
}

// Stops the bus and the mock once every test of the process has run.
class BluezMockEnvironment : public ::testing::Environment {
public:
    void TearDown() override { State().mock.Stop(); }
};

[[maybe_unused]] ::testing::Environment* const registered =
    ::testing::AddGlobalTestEnvironment(new BluezMockEnvironment);

}  // namespace

BluezMock& SharedBluezMock() {
    SharedMockState& state = State();
    if (!state.started) {
        state.started = true;
        state.problem = state.mock.Start();
    }
    return state.mock;
}

QString SharedBluezMockProblem() {
    SharedBluezMock();
    return State().problem;
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMilliseconds) {
    const QDeadlineTimer deadline(timeoutMilliseconds);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

void Pump(int milliseconds) {
    WaitUntil([] { return false; }, milliseconds);
    // However slow the machine, what was posted meanwhile gets delivered.
    for (int round = 0; round < 3; ++round) QCoreApplication::processEvents();
}

QByteArray Hex(const char* hex) { return QByteArray::fromHex(hex); }

QByteArray SensorAdvertisement(uint16_t status, uint8_t ch1, uint8_t ch2, uint32_t count) {
    QByteArray bytes(8, '\0');
    qToLittleEndian(status, bytes.data());
    bytes[2] = char(ch1);
    bytes[3] = char(ch2);
    qToLittleEndian(count, bytes.data() + 4);
    return bytes;
}

// ------------------------------------------------------------ recorder

namespace {

CentralEvent MakeEvent(CentralEvent::Kind kind, const BleDevicePtr& device) {
    CentralEvent event;
    event.kind = kind;
    event.device = device;
    return event;
}

}  // namespace

CentralRecorder::CentralRecorder(BleCentral& central) {
    connect(&central, &BleCentral::DiscoverLEDevice, this,
            [this](const BleDevicePtr& device, const QByteArray& data) {
                CentralEvent event = MakeEvent(CentralEvent::Advertisement, device);
                event.bytes = data;
                Record(event);
            });
    connect(&central, &BleCentral::EndDiscoverDevices, this, [this](const QList<BleDevicePtr>& devices) {
        CentralEvent event = MakeEvent(CentralEvent::End, nullptr);
        event.devices = devices;
        Record(event);
    });
    connect(&central, &BleCentral::Connected, this,
            [this](const BleDevicePtr& device) { Record(MakeEvent(CentralEvent::Connected, device)); });
    connect(&central, &BleCentral::Disconnected, this,
            [this](const BleDevicePtr& device) { Record(MakeEvent(CentralEvent::Disconnected, device)); });
    connect(&central, &BleCentral::CharacteristicRead, this,
            [this](const BleDevicePtr& device, const QUuid& characteristic, const QByteArray& value, int status) {
                CentralEvent event = MakeEvent(CentralEvent::Value, device);
                event.bytes = value;
                event.characteristic = characteristic;
                event.gattStatus = status;
                Record(event);
            });
}

void CentralRecorder::Record(CentralEvent event) {
    event.insideCall = callDepth_ > 0;
    if (event.device) {
        event.name = event.device->DeviceName;
        event.paired = event.device->Paired;
    }
    events.append(event);
    if (onEvent) onEvent(events.last());
}

int CentralRecorder::Count(CentralEvent::Kind kind) const { return int(Of(kind).size()); }

QList<CentralEvent> CentralRecorder::Of(CentralEvent::Kind kind) const {
    QList<CentralEvent> matching;
    for (const CentralEvent& event : events)
        if (event.kind == kind) matching.append(event);
    return matching;
}

bool CentralRecorder::AnyInsideCall() const {
    for (const CentralEvent& event : events)
        if (event.insideCall) return true;
    return false;
}

// -------------------------------------------------------------- fixture

void BluezTest::SetUp() {
    const QString problem = SharedBluezMockProblem();
    if (!problem.isEmpty() && SharedBluezMock().MissingTools()) GTEST_SKIP() << problem.toStdString();
    ASSERT_TRUE(problem.isEmpty()) << "the BlueZ mock did not start: " << problem.toStdString();
    mock = &SharedBluezMock();
    mock->ClearAll();
    mock->AddAdapter();
    central = std::make_unique<QtBleCentral>();
    recorder = std::make_unique<CentralRecorder>(*central);
}

void BluezTest::TearDown() {
    recorder.reset();
    central.reset();
    if (!mock) return;
    Pump(50);  // let QtBluetooth finish what the central left
    mock->ClearAll();
    Pump(20);
}

bool BluezTest::Scan(int milliseconds) {
    const int ends = recorder->Count(CentralEvent::End);
    QString error;
    if (!recorder->Call([&] { return central->DiscoverDevices(milliseconds, &error); })) {
        ADD_FAILURE() << "scan did not start: " << error.toStdString();
        return false;
    }
    return WaitUntil([&] { return recorder->Count(CentralEvent::End) > ends; }, milliseconds + 3000);
}

BleDevicePtr BluezTest::Found(const QString& address) const {
    const QList<CentralEvent> ends = recorder->Of(CentralEvent::End);
    if (ends.isEmpty()) return nullptr;
    for (const BleDevicePtr& device : ends.last().devices)
        if (device->Address.compare(address, Qt::CaseInsensitive) == 0) return device;
    return nullptr;
}

BleDevicePtr BluezTest::ConnectTo(const QString& address) {
    mock->AdvertiseEvery(address, SensorCompanyId, SensorAdvertisement(0x0400, 0, 0, 0), -60, 50);
    if (!Scan(200)) return nullptr;
    mock->AdvertiseEvery(address, SensorCompanyId, {}, -60, 0);
    const BleDevicePtr device = Found(address);
    if (!device) {
        ADD_FAILURE() << "sensor not heard";
        return nullptr;
    }
    QString error;
    if (!central->DiscoverServices(device) || !recorder->Call([&] { return central->Connect(device, &error); })) {
        ADD_FAILURE() << "connect refused: " << error.toStdString();
        return nullptr;
    }
    if (!WaitUntil([&] { return recorder->Count(CentralEvent::Connected) > 0; })) {
        ADD_FAILURE() << "no Connected event";
        return nullptr;
    }
    return device;
}
