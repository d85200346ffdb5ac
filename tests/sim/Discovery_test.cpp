#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <map>

#include "SimHarness.h"

namespace {

SimulatedSensorSpec SensorSetup(const char* name, bool paired = true) {
    SimulatedSensorSpec sensorSetup;
    sensorSetup.name = QString::fromLatin1(name);
    sensorSetup.paired = paired;
    return sensorSetup;
}

SimulationOptions ThreeSensors() {
    SimulationOptions options;
    options.sensors = {SensorSetup("Tq580-123456-001"), SensorSetup("Tq570-654321-001"), SensorSetup("Tq580-777777-001", false)};
    return options;
}

}  // namespace

TEST(SimulatedDiscovery, AScanHearsEverySensorEveryFewHundredMillisecondsAndEndsAfterItsTimeOut) {
    SimHarness sim(ThreeSensors());
    QString error;
    ASSERT_TRUE(sim.central->DiscoverDevices(5000, &error));
    sim.Deliver();
    EXPECT_TRUE(sim.scanEnds.empty());

    sim.Run(4990);
    EXPECT_TRUE(sim.scanEnds.empty());
    sim.Run(20);
    ASSERT_EQ(sim.scanEnds.size(), 1u);

    std::map<QString, std::vector<int64_t>> heardAt;
    for (const auto& advertisement : sim.advertisements)
        heardAt[advertisement.device->DeviceName].push_back(advertisement.atMilliseconds);
    ASSERT_EQ(heardAt.size(), 3u);
    for (const auto& [name, times] : heardAt) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_GE(times.size(), 10u);  // 5 s at most every 500 ms
        for (size_t i = 1; i < times.size(); ++i) {
            EXPECT_GE(times[i] - times[i - 1], 190);
            EXPECT_LE(times[i] - times[i - 1], 510);
        }
    }

    const QList<BleDevicePtr>& devices = sim.scanEnds[0];
    ASSERT_EQ(devices.size(), 3);
    std::map<QString, bool> paired;
    for (const BleDevicePtr& device : devices) paired[device->DeviceName] = device->Paired;
    EXPECT_TRUE(paired.at("Tq580-123456-001"));
    EXPECT_TRUE(paired.at("Tq570-654321-001"));
    EXPECT_FALSE(paired.at("Tq580-777777-001"));

    // The handles are the ones the advertisements carried: identity holds.
    for (const auto& advertisement : sim.advertisements) EXPECT_TRUE(devices.contains(advertisement.device));

    sim.Run(3000);  // no scan, nothing heard
    EXPECT_EQ(sim.scanEnds.size(), 1u);
}

TEST(SimulatedDiscovery, CancelEndsTheScanLaterWithWhatWasHeardAndAlsoWhenNoScanRuns) {
    SimHarness sim(ThreeSensors());
    QString error;
    ASSERT_TRUE(sim.central->DiscoverDevices(5000, &error));
    EXPECT_FALSE(sim.central->DiscoverDevices(5000, &error));
    EXPECT_FALSE(error.isEmpty());

    sim.Run(600);
    sim.central->CancelDiscovery();
    EXPECT_TRUE(sim.scanEnds.empty()) << "delivered inside the call";
    sim.Deliver();
    ASSERT_EQ(sim.scanEnds.size(), 1u);
    EXPECT_EQ(sim.scanEnds[0].size(), 3);

    const size_t heard = sim.advertisements.size();
    sim.Run(5000);
    EXPECT_EQ(sim.advertisements.size(), heard);
    EXPECT_EQ(sim.scanEnds.size(), 1u);

    sim.central->CancelDiscovery();
    sim.Deliver();
    EXPECT_EQ(sim.scanEnds.size(), 2u);

    // The end handler may start the next scan at once.
    EXPECT_TRUE(sim.central->DiscoverDevices(5000, &error));
}

TEST(SimulatedDiscovery, SensorsOutOfRangeOrConnectedAreNotHeard) {
    SimHarness sim(ThreeSensors());
    sim.central->Sensor("Tq570-654321-001")->SetInRange(false);
    const BleDevicePtr device = sim.ConnectTo("Tq580-123456-001");
    ASSERT_TRUE(device);

    QString error;
    ASSERT_TRUE(sim.central->DiscoverDevices(2000, &error));
    sim.Run(2010);
    ASSERT_EQ(sim.scanEnds.size(), 2u);
    ASSERT_EQ(sim.scanEnds.back().size(), 1);
    EXPECT_EQ(sim.scanEnds.back()[0]->DeviceName, "Tq580-777777-001");

    sim.central->Disconnect(device);
    sim.central->Sensor("Tq570-654321-001")->SetInRange(true);
    ASSERT_TRUE(sim.central->DiscoverDevices(2000, &error));
    sim.Run(2010);
    EXPECT_EQ(sim.scanEnds.back().size(), 3);
}

// Advertisement layout: company identifier, status word (little-endian:
// battery in bits 0..9 as volts / 3.6 x 1024, item in 10..11, rate in 12..14,
// logging in 15), CH1 and CH2 value bytes, stored count (little-endian).
TEST(SimulatedDiscovery, AdvertisementsCarryStatusValuesAndCountAsTheTableLaysThemOut) {
    SimulatedSensorSpec waiting = SensorSetup("Tq580-100000-001");  // 3.0 V: raw 853 = 0x355
    waiting.storedSamples = 3600;
    waiting.storedRateIndex = 4;
    SimulatedSensorSpec low = SensorSetup("Tq580-100000-002");
    low.batteryVolts = 2.4;  // raw 683 = 0x2AB
    SimulatedSensorSpec logging = SensorSetup("Tq580-100000-003");
    logging.logging = true;
    logging.storedSamples = 100;
    logging.storedRateIndex = 1;
    logging.advertisedItem = 0;
    SimulatedSensorSpec loggingHb = logging;
    loggingHb.name = "Tq580-100000-004";
    loggingHb.advertisedItem = 3;
    SimulationOptions options;
    options.sensors = {waiting, low, logging, loggingHb};
    SimHarness sim(options);
    const int64_t start = sim.NowMilliseconds();

    QString error;
    ASSERT_TRUE(sim.central->DiscoverDevices(1000, &error));
    sim.Run(1000, 1);  // steps of 1 ms: each advertisement is recorded at the time it was sent
    std::map<QString, QByteArray> last;
    for (const auto& advertisement : sim.advertisements) last[advertisement.device->DeviceName] = advertisement.data;
    ASSERT_EQ(last.size(), 4u);

    EXPECT_EQ(last["Tq580-100000-001"], Hex("ffff" "5543" "0000" "100e0000"));
    EXPECT_EQ(last["Tq580-100000-002"], Hex("ffff" "ab12" "0000" "00000000"));  // rate index 1 of an empty store

    const QByteArray sto2 = last["Tq580-100000-003"];
    ASSERT_EQ(sto2.size(), 10);
    EXPECT_EQ(sto2.mid(0, 4), Hex("ffff" "5593"));  // logging, rate 1, item 0, 3.0 V
    for (int c = 0; c < 2; ++c) {
        const int percent = static_cast<uint8_t>(sto2[4 + c]);
        EXPECT_GE(percent, 55);
        EXPECT_LE(percent, 80);
    }
    // 100 samples at 100 ms when the simulation began, one more each 100 ms since.
    int64_t heardAt = 0;
    for (const auto& advertisement : sim.advertisements)
        if (advertisement.device->DeviceName == "Tq580-100000-003") heardAt = advertisement.atMilliseconds;
    const uint32_t count = 100 + static_cast<uint32_t>((heardAt - start) / 100);
    EXPECT_EQ(static_cast<uint8_t>(sto2[6]) | static_cast<uint8_t>(sto2[7]) << 8, count);
    EXPECT_EQ(sto2.mid(8), Hex("0000"));

    const QByteArray tohb = last["Tq580-100000-004"];
    EXPECT_EQ(tohb.mid(2, 2), Hex("55" "9f"));  // item 3
    for (int c = 0; c < 2; ++c) {
        const auto value = static_cast<uint8_t>(tohb[4 + c]);
        EXPECT_NE(value & 0xF0, 0xF0) << "an error code";
        EXPECT_TRUE(value <= 10 || value >= 0xE0) << "more than 0.1 mM in 10 s: " << int(value);
    }
}

// What --simulate shows: the program's own timer drives the sensors on the
// system clock, and the default set holds every case a user should meet.
TEST(SimulatedDiscovery, TheDefaultSensorsRunOnTheirOwnTimerAndShowEveryCase) {
    SimulationOptions options;  // default sensors, timer, system clock
    const std::unique_ptr<BleCentral> central = CreateSimulatedCentral(options);
    std::map<QString, QByteArray> advertised;
    QList<BleDevicePtr> devices;
    QEventLoop loop;
    QObject::connect(central.get(), &BleCentral::DiscoverLEDevice,
                     [&](const BleDevicePtr& device, const QByteArray& data) { advertised[device->DeviceName] = data; });
    QObject::connect(central.get(), &BleCentral::EndDiscoverDevices, [&](const QList<BleDevicePtr>& list) {
        devices = list;
        loop.quit();
    });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);  // a guard, not a measurement
    QString error;
    ASSERT_TRUE(central->DiscoverDevices(600, &error));
    loop.exec();

    ASSERT_EQ(devices.size(), 6);
    int paired580 = 0, sibling = 0, unpaired = 0, withLog = 0, logging = 0;
    for (const BleDevicePtr& device : devices) {
        const QByteArray& data = advertised[device->DeviceName];
        ASSERT_EQ(data.size(), 10);
        if (!device->Paired) ++unpaired;
        else if (device->DeviceName.startsWith("Tq570-")) ++sibling;
        else if (device->DeviceName.startsWith("Tq580-")) ++paired580;
        if (data[6] != 0 || data[7] != 0) ++withLog;
        if (static_cast<uint8_t>(data[3]) & 0x80) ++logging;
    }
    EXPECT_EQ(paired580, 4);
    EXPECT_EQ(sibling, 1);
    EXPECT_EQ(unpaired, 1);
    EXPECT_GE(withLog, 3);
    EXPECT_EQ(logging, 1);
}

// The remote start waits for the sensor's reply in a nested event loop
// inside the end-of-scan handler; the sensors must keep running meanwhile.
TEST(SimulatedDiscovery, SensorsKeepRunningWhileAHandlerWaitsInANestedEventLoop) {
    const std::unique_ptr<BleCentral> central = CreateSimulatedCentral(SimulationOptions{});
    QByteArray received;
    bool replied = false;
    bool handled = false;
    BleDevicePtr target;
    QObject::connect(central.get(), &BleCentral::Connected, [&](const BleDevicePtr& device) {
        const BleServicePtr service = FindService(device, UartServiceUuid);
        central->SetCharacteristicNotification(device, FindCharacteristic(service, UartNotifyUuid), true);
        central->WriteCharacteristic(device, FindCharacteristic(service, UartWriteUuid),
                                     QByteArray("\x02TS,260314093000\x03\x02@SS1,0\x03"));
    });
    QObject::connect(central.get(), &BleCentral::CharacteristicRead,
                     [&](const BleDevicePtr&, const QUuid&, const QByteArray& value, int) { received.append(value); });
    QObject::connect(central.get(), &BleCentral::EndDiscoverDevices, [&](const QList<BleDevicePtr>& devices) {
        for (const BleDevicePtr& device : devices)
            if (device->DeviceName == "Tq580-123456-002") target = device;
        QString error;
        if (!target || !central->DiscoverServices(target) || !central->Connect(target, &error)) return;
        QElapsedTimer waited;
        waited.start();
        while (!received.contains(QByteArray("\x02OK\x03")) && waited.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        replied = received.contains(QByteArray("\x02OK\x03"));
        central->Disconnect(target);
        handled = true;
    });
    QString error;
    ASSERT_TRUE(central->DiscoverDevices(300, &error));
    QElapsedTimer guard;
    guard.start();
    while (!handled && guard.elapsed() < 8000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_TRUE(target);
    EXPECT_TRUE(replied);
}
