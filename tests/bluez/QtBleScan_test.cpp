#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>

#include "bluez/BluezTest.h"

namespace {

QString Address(const char* suffix) { return QStringLiteral("C0:00:00:00:00:") + QLatin1String(suffix); }

QString Suffix(const BleDevicePtr& device) { return device->Address.right(2); }

// Events as text: "01P:5900..." for an advertisement of sensor 01 (P paired,
// - not), "end:01,02" for an end event with its list.
QStringList Describe(const QList<CentralEvent>& events) {
    QStringList lines;
    for (const CentralEvent& event : events) {
        if (event.kind == CentralEvent::Advertisement) {
            lines << Suffix(event.device) + (event.paired ? "P:" : "-:") + QString::fromLatin1(event.bytes.toHex());
        } else if (event.kind == CentralEvent::End) {
            QStringList suffixes;
            for (const BleDevicePtr& device : event.devices) suffixes << Suffix(device);
            lines << "end:" + suffixes.join(',');
        }
    }
    return lines;
}

struct ScanStep {
    enum Action { Advertise, Appear, Pair, NextScan } action;
    const char* sensor = "";
    const char* data = "";
    qint16 rssi = -60;
};

struct ScanCase {
    const char* name;
    std::vector<ScanStep> steps;
    QStringList expected;
};

void PrintTo(const ScanCase& scanCase, std::ostream* out) { *out << scanCase.name; }

class ScanReports : public BluezTest, public ::testing::WithParamInterface<ScanCase> {
protected:
    // Lets every signal the mock sent so far reach the central and out.
    void Settle() {
        // A round trip on QtBluetooth's own connection comes back behind the
        // signals the mock sent before it.
        QDBusMessage ping = QDBusMessage::createMethodCall(QStringLiteral("org.bluez"), QStringLiteral("/"),
                                                           QStringLiteral("org.freedesktop.DBus.Peer"),
                                                           QStringLiteral("Ping"));
        QDBusConnection::systemBus().call(ping, QDBus::Block, 3000);
        Pump(30);
    }

    void StartScan() {
        QString error;
        ASSERT_TRUE(central->DiscoverDevices(30000, &error)) << error.toStdString();
        Settle();
    }
};

// Sensors 01 and 03 are paired, 02 is not; 04 appears during a scan.
TEST_P(ScanReports, AsBlueZReportsThem) {
    const ScanCase& scanCase = GetParam();
    mock->AddSensor(Address("01"), "Tq580-000001-001", true);
    mock->AddSensor(Address("02"), "Tq580-000002-001", false);
    mock->AddSensor(Address("03"), "Tq580-000003-001", true);
    StartScan();
    for (const ScanStep& step : scanCase.steps) {
        switch (step.action) {
            case ScanStep::Appear:
                mock->AddSensor(Address(step.sensor), "Tq580-000004-001", true);
                [[fallthrough]];
            case ScanStep::Advertise:
                ASSERT_TRUE(mock->Advertise(Address(step.sensor), SensorCompanyId, Hex(step.data), step.rssi));
                break;
            case ScanStep::Pair:
                mock->SetPaired(Address(step.sensor), true);
                break;
            case ScanStep::NextScan:
                central->CancelDiscovery();
                StartScan();
                break;
        }
        Settle();
    }
    central->CancelDiscovery();
    Settle();  // the end is an event of its own
    EXPECT_EQ(Describe(recorder->events), scanCase.expected);
}

// BlueZ signals a device when its data or name changed, when its RSSI moved
// by 8 dB or more, and always on the first report of each discovery.
INSTANTIATE_TEST_SUITE_P(
    QtBleCentral, ScanReports,
    ::testing::Values(
        ScanCase{"ChangingData",
                 {{ScanStep::Advertise, "01", "d8920102"},
                  {ScanStep::Advertise, "01", "d8920103"},
                  {ScanStep::Advertise, "01", "d8920104"}},
                 {"01P:5900d8920102", "01P:5900d8920103", "01P:5900d8920104", "end:01"}},
        // A sensor whose advertisement never changes is heard in every scan,
        // so the storage table never loses it.
        ScanCase{"IdenticalDataInEveryScan",
                 {{ScanStep::Advertise, "01", "d8920102"},
                  {ScanStep::Advertise, "01", "d8920102"},
                  {ScanStep::NextScan},
                  {ScanStep::Advertise, "01", "d8920102"},
                  {ScanStep::Advertise, "01", "d8920102"},
                  {ScanStep::NextScan},
                  {ScanStep::Advertise, "01", "d8920102"}},
                 {"01P:5900d8920102", "end:01", "01P:5900d8920102", "end:01", "01P:5900d8920102", "end:01"}},
        ScanCase{"RssiOnly",
                 {{ScanStep::Advertise, "01", "d8920102", -60},
                  {ScanStep::Advertise, "01", "d8920102", -70},
                  {ScanStep::Advertise, "01", "d8920102", -73}},
                 {"01P:5900d8920102", "01P:5900d8920102", "end:01"}},
        ScanCase{"DeviceAppearsMidScan",
                 {{ScanStep::Advertise, "02", "f0c6"}, {ScanStep::Appear, "04", "d892"}},
                 {"02-:5900f0c6", "04P:5900d892", "end:02,04"}},
        // Sensor 03 is remembered with its old data once heard; out of range
        // it must not count as heard in the next scan.
        ScanCase{"RememberedDeviceOutOfRange",
                 {{ScanStep::Advertise, "03", "d8920a0b"},
                  {ScanStep::NextScan},
                  {ScanStep::Advertise, "01", "d8920102"},
                  {ScanStep::NextScan}},
                 {"03P:5900d8920a0b", "end:03", "01P:5900d8920102", "end:01", "end:"}},
        // Pairing is looked up once per device and scan.
        ScanCase{"PairingTakesEffectWithTheNextScan",
                 {{ScanStep::Advertise, "02", "d8920102"},
                  {ScanStep::Pair, "02"},
                  {ScanStep::Advertise, "02", "d8920103"},
                  {ScanStep::NextScan},
                  {ScanStep::Advertise, "02", "d8920103"}},
                 {"02-:5900d8920102", "02-:5900d8920103", "end:02", "02P:5900d8920103", "end:02"}}),
    [](const ::testing::TestParamInfo<ScanCase>& info) { return std::string(info.param.name); });

// The three ways a scan ends give one end event each, with the devices heard.
enum class Ending { Timer, CancelWhileScanning, CancelWithNothingRunning };

class ScanEnd : public BluezTest, public ::testing::WithParamInterface<Ending> {};

TEST_P(ScanEnd, GivesOneEndEventWithTheDevicesHeard) {
    mock->AddSensor(Address("01"), "Tq580-000001-001", true);
    mock->AdvertiseEvery(Address("01"), SensorCompanyId, Hex("d892"), -60, 30);
    QString error;
    QElapsedTimer clock;
    clock.start();
    const int length = GetParam() == Ending::CancelWhileScanning ? 30000 : 300;
    ASSERT_TRUE(recorder->Call([&] { return central->DiscoverDevices(length, &error); })) << error.toStdString();
    EXPECT_EQ(recorder->Count(CentralEvent::End), 0) << "no end event inside the call that started the scan";

    if (GetParam() == Ending::CancelWhileScanning) {
        ASSERT_TRUE(WaitUntil([&] { return recorder->Count(CentralEvent::Advertisement) > 0; }));
        recorder->Call([&] { central->CancelDiscovery(); });
        EXPECT_EQ(recorder->Count(CentralEvent::End), 0) << "no end event inside the call that cancels";
        ASSERT_TRUE(WaitUntil([&] { return recorder->Count(CentralEvent::End) == 1; }))
            << "the cancel ends with the end event";
        EXPECT_FALSE(recorder->events.last().insideCall);
    } else {
        ASSERT_TRUE(WaitUntil([&] { return recorder->Count(CentralEvent::End) == 1; }));
        EXPECT_GE(clock.elapsed(), length);
        EXPECT_FALSE(recorder->events.last().insideCall);
    }
    const QList<BleDevicePtr> heard = recorder->Of(CentralEvent::End).last().devices;
    ASSERT_EQ(heard.size(), 1);
    EXPECT_EQ(heard.first()->DeviceName, "Tq580-000001-001");
    EXPECT_FALSE(mock->Discovering());

    if (GetParam() == Ending::CancelWithNothingRunning) {
        recorder->Call([&] { central->CancelDiscovery(); });
        ASSERT_TRUE(WaitUntil([&] { return recorder->Count(CentralEvent::End) == 2; }));
        EXPECT_FALSE(recorder->events.last().insideCall);
        EXPECT_EQ(recorder->events.last().devices, heard) << "the same handles as the last scan";
    }
    const int ends = recorder->Count(CentralEvent::End);
    Pump(400);
    EXPECT_EQ(recorder->Count(CentralEvent::End), ends) << "a stopped scan's timer must not end it again";
    mock->AdvertiseEvery(Address("01"), SensorCompanyId, {}, 0, 0);
}

const char* EndingName(Ending ending) {
    switch (ending) {
        case Ending::Timer: return "Timer";
        case Ending::CancelWhileScanning: return "CancelWhileScanning";
        case Ending::CancelWithNothingRunning: return "CancelWithNothingRunning";
    }
    return "";
}

void PrintTo(Ending ending, std::ostream* out) { *out << EndingName(ending); }

INSTANTIATE_TEST_SUITE_P(QtBleCentral, ScanEnd,
                         ::testing::Values(Ending::Timer, Ending::CancelWhileScanning,
                                           Ending::CancelWithNothingRunning),
                         [](const ::testing::TestParamInfo<Ending>& info) { return EndingName(info.param); });

// The storage page starts its next scan from inside the end handler.
TEST_F(BluezTest, NextScanStartsInsideTheEndHandler) {
    mock->AddSensor(Address("01"), "Tq580-000001-001", true);
    mock->AdvertiseEvery(Address("01"), SensorCompanyId, Hex("d892"), -60, 30);
    bool restarted = false;
    recorder->onEvent = [&](const CentralEvent& event) {
        if (event.kind != CentralEvent::End || restarted) return;
        QString error;
        restarted = central->DiscoverDevices(250, &error);
        EXPECT_TRUE(restarted) << error.toStdString();
    };
    ASSERT_TRUE(Scan(250));
    ASSERT_TRUE(restarted);
    ASSERT_TRUE(WaitUntil([&] { return recorder->Count(CentralEvent::End) == 2; }));
    EXPECT_EQ(Describe(recorder->events), QStringList({"01P:5900d892", "end:01", "01P:5900d892", "end:01"}));
    mock->AdvertiseEvery(Address("01"), SensorCompanyId, {}, 0, 0);
}

TEST_F(BluezTest, ASecondScanIsRefusedWhileOneRuns) {
    QString error;
    ASSERT_TRUE(central->DiscoverDevices(300, &error));
    EXPECT_FALSE(central->DiscoverDevices(300, &error));
    EXPECT_FALSE(error.isEmpty());
    ASSERT_TRUE(WaitUntil([&] { return recorder->Count(CentralEvent::End) == 1; }));
    Pump(400);
    EXPECT_EQ(recorder->Count(CentralEvent::End), 1);
}

// Without a usable adapter the program says why and scans never start.
struct AdapterCase {
    const char* name;
    bool present;
    bool powered;
    const QString* reason;  // null: usable
};

void PrintTo(const AdapterCase& adapter, std::ostream* out) { *out << adapter.name; }

class AdapterState : public BluezTest, public ::testing::WithParamInterface<AdapterCase> {};

TEST_P(AdapterState, DecidesUsabilityAndScanStart) {
    const AdapterCase& adapter = GetParam();
    if (!adapter.present) mock->RemoveAdapter();
    if (adapter.present && !adapter.powered) mock->SetPowered(false);
    const QString expected = adapter.reason ? *adapter.reason : QString();
    EXPECT_EQ(central->UnusableReason(), expected);

    QString error;
    const bool started = recorder->Call([&] { return central->DiscoverDevices(200, &error); });
    EXPECT_EQ(started, adapter.reason == nullptr);
    EXPECT_EQ(error, expected);
    Pump(400);
    EXPECT_EQ(recorder->Count(CentralEvent::End), started ? 1 : 0) << "a scan that never started never ends";
}

INSTANTIATE_TEST_SUITE_P(QtBleCentral, AdapterState,
                         ::testing::Values(AdapterCase{"NoAdapter", false, false, &NoAdapterReason},
                                           AdapterCase{"PoweredOff", true, false, &AdapterOffReason},
                                           AdapterCase{"PoweredOn", true, true, nullptr}),
                         [](const ::testing::TestParamInfo<AdapterCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace

namespace {

// An adapter unplugged during a scan ends the scan at once, through the same
// end event, rather than leaving the program waiting.
TEST_F(BluezTest, AdapterGoneMidScanEndsTheScan) {
    mock->AddSensor(Address("01"), "Tq580-000001-001", true);
    QString error;
    ASSERT_TRUE(central->DiscoverDevices(30000, &error)) << error.toStdString();
    ASSERT_TRUE(WaitUntil([&] { return mock->Discovering(); }));
    ASSERT_TRUE(mock->Advertise(Address("01"), SensorCompanyId, Hex("d892"), -60));
    ASSERT_TRUE(WaitUntil([&] { return recorder->Count(CentralEvent::Advertisement) == 1; }));
    mock->RemoveAdapter();
    ASSERT_TRUE(WaitUntil([&] { return recorder->Count(CentralEvent::End) == 1; }));
    EXPECT_EQ(recorder->events.last().devices.size(), 1);
    EXPECT_FALSE(recorder->events.last().insideCall);
    EXPECT_FALSE(central->DiscoverDevices(300, &error));
    EXPECT_EQ(error, NoAdapterReason);
}

}  // namespace
