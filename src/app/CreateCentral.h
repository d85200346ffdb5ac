#pragma once

#include <QStringList>
#include <memory>
#include <optional>

#include "link/BleCentral.h"

// The number of simulated sensors asked for on the command line:
// "--simulate" alone gives the default count, "--simulate=N" gives N;
// 0 when the option is absent, -1 when its count is not a number from 1 to 30.
int SimulatedSensorCount(const QStringList& arguments);
inline constexpr int DefaultSimulatedSensors = 6;

// "--simulate-drop=AFTER,FOR": the simulated sensors drop their link AFTER
// seconds after a measurement starts, for FOR seconds. Nothing when the
// text is not two numbers, AFTER from 0 and FOR above 0.
struct SimulatedDrop {
    double afterSeconds = 0;
    double forSeconds = 0;
};
std::optional<SimulatedDrop> ParseSimulatedDrop(const QString& text);

// The Bluetooth LE central the program runs on, chosen once at start-up from
// the command line. A central that cannot be used says why in UnusableReason.
std::unique_ptr<BleCentral> CreateCentral(const QStringList& arguments);
