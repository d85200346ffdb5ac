#include "sim/SimulationOptions.h"

#include <algorithm>

namespace {

QString Tq580Name(int number) {
    return QStringLiteral("Tq580-123456-%1").arg(number, 3, 10, QLatin1Char('0'));
}

// A mix that shows every state of the storage table.
SimulatedSensorSpec PairedSensor(int number) {
    SimulatedSensorSpec sensor;
    sensor.name = Tq580Name(number);
    sensor.clockDriftPpm = (number * 37) % 81 - 40;  // within the ±40 ppm of a common crystal
    switch ((number - 1) % 4) {
    case 0:  // waiting, an hour logged at 1 s
        sensor.storedSamples = 3600;
        sensor.storedRateIndex = 4;
        break;
    case 1:  // waiting, empty
        sensor.batteryVolts = 2.55;
        break;
    case 2:  // logging for ten minutes at 0.1 s, showing OXHb
        sensor.logging = true;
        sensor.storedSamples = 6000;
        sensor.storedRateIndex = 1;
        sensor.advertisedItem = 1;
        break;
    default:  // waiting, twenty minutes logged at 0.1 s
        sensor.storedSamples = 12000;
        sensor.storedRateIndex = 1;
        sensor.batteryVolts = 2.8;
        break;
    }
    return sensor;
}

}  // namespace

QList<SimulatedSensorSpec> DefaultSensors(int count) {
    count = std::clamp(count, 1, 999);
    QList<SimulatedSensorSpec> sensors;
    const int paired = count >= 3 ? count - 2 : count;
    for (int number = 1; number <= paired; ++number) sensors.append(PairedSensor(number));
    if (count >= 3) {
        SimulatedSensorSpec sibling;
        sibling.name = QStringLiteral("Tq570-654321-001");
        sensors.append(sibling);
        SimulatedSensorSpec stranger;
        stranger.name = QStringLiteral("Tq580-777777-001");
        stranger.paired = false;
        stranger.storedSamples = 600;
        stranger.storedRateIndex = 4;
        sensors.append(stranger);
    }
    return sensors;
}
