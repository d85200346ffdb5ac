#pragma once

#include "sim/SimulationOptions.h"

// Three sensors in storage mode: one waiting with a log to upload, one
// waiting and empty, one already logging. For the tests that link the
// simulated sensors.
inline const QString Waiting = QStringLiteral("Tq580-100000-001");
inline const QString WaitingEmpty = QStringLiteral("Tq580-100000-002");
inline const QString Running = QStringLiteral("Tq580-100000-003");

inline SimulatedSensorSpec StorageSensor(const QString& name, int stored, bool logging = false) {
    SimulatedSensorSpec sensorSetup;
    sensorSetup.name = name;
    sensorSetup.storedSamples = stored;
    sensorSetup.storedRateIndex = 4;  // 1 s
    sensorSetup.logging = logging;
    return sensorSetup;
}
