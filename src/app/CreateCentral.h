#pragma once

#include <QStringList>
#include <memory>

#include "link/BleCentral.h"

// The number of simulated sensors asked for on the command line:
// "--simulate" alone gives the default count, "--simulate=N" gives N;
// 0 when the option is absent, -1 when its count is not a number from 1 to 30.
int SimulatedSensorCount(const QStringList& arguments);
inline constexpr int DefaultSimulatedSensors = 6;

// The Bluetooth LE central the program runs on, chosen once at start-up from
// the command line. A central that cannot be used says why in UnusableReason.
std::unique_ptr<BleCentral> CreateCentral(const QStringList& arguments);
