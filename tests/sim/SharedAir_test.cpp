// Several links uploading at once on one central: each link keeps its own
// rate, and all of them together carry no more than the air's four links'
// worth, taking turns so that none starves.
#include <gtest/gtest.h>

#include "SimHarness.h"

namespace {

QString SensorName(int number) { return QStringLiteral("Tq580-200000-%1").arg(number, 3, 10, QLatin1Char('0')); }

SimulationOptions Sensors(int count) {
    SimulationOptions options;
    for (int number = 1; number <= count; ++number) {
        SimulatedSensorSpec sensor;
        sensor.name = SensorName(number);
        sensor.storedSamples = 108000;  // far more than the measured seconds carry
        sensor.storedRateIndex = 1;
        options.sensors.append(sensor);
    }
    return options;
}

TEST(SimulatedAir, UploadsAtOnceShareTheAirInTurns) {
    for (int links : {1, 2, 4, 5, 8}) {
        SCOPED_TRACE(links);
        const SimulationOptions options = Sensors(links);
        SimHarness sim(options);
        QList<BleDevicePtr> devices;
        for (int number = 1; number <= links; ++number) {
            devices.append(sim.ConnectTo(SensorName(number)));
            ASSERT_TRUE(devices.last());
        }
        for (const BleDevicePtr& device : devices) sim.Command(device, "GS4");
        sim.Run(1000);  // every upload under way

        QHash<QString, int64_t> before = sim.bytesFrom;
        constexpr int Seconds = 5;
        sim.Run(Seconds * 1000);
        const double link = options.linkBytesPerSecond;
        const double air = link * options.airCapacityInLinks;
        const double eachExpected = std::min(link, air / links);
        double total = 0;
        for (int number = 1; number <= links; ++number) {
            const double rate = static_cast<double>(sim.bytesFrom[SensorName(number)] - before[SensorName(number)]) / Seconds;
            EXPECT_NEAR(rate, eachExpected, eachExpected * 0.03) << SensorName(number).toStdString();
            total += rate;
        }
        EXPECT_LE(total, std::min(link * links, air) * 1.01);
    }
}

}  // namespace
