#pragma once

#include <QList>
#include <QString>
#include <memory>

class Clock;

// One simulated sensor as it is when the program starts.
struct SimulatedSensorSpec {
    QString name;  // "Tq580-" + six digits + "-" + three digits, or "Tq570-..."
    bool paired = true;
    bool inRange = true;
    double batteryVolts = 3.0;
    int storedSamples = 0;    // already in its log (with logging: logged so far)
    int storedRateIndex = 1;  // rate index of that log
    bool logging = false;     // already logging in storage mode
    int advertisedItem = 0;   // 0 STO2, 1 OXHb, 2 DXHb, 3 TOHb
    // How far its clock runs from true time, in parts per million: sensors
    // measured together keep their own pace, as real ones do.
    int clockDriftPpm = 0;
};

struct SimulationOptions {
    QList<SimulatedSensorSpec> sensors;
    int notificationSize = 244;         // bytes per notification, 20..244
    int linkBytesPerSecond = 20000;     // what one radio link carries from sensor to PC
    // What all links of the central carry together, in links at the full
    // rate: one adapter's radio serves its connections in turn, so links
    // beyond this many share the air instead of adding to it.
    int airCapacityInLinks = 4;
    int connectDelayMilliseconds = 120;
    // The simulator is driven by a timer with this interval; 0 means the
    // caller drives it by calling Tick() (tests, benchmarks).
    int tickIntervalMilliseconds = 10;
    // The PC's local clock: the dates the sensors take from the time-sync
    // frame. With the timer, due packets follow a monotonic timer instead,
    // so a change of the wall clock does not make sensors stall or burst;
    // without it they follow this clock, so tests move time at will.
    std::shared_ptr<const Clock> clock;  // null: the system clock
    // The first sensor drops its link this long after a measurement, a
    // check or an upload starts on it and stays out of range for
    // dropForSeconds, once; negative: never. The others keep theirs.
    double dropAfterSeconds = -1;
    double dropForSeconds = 0;
};

// The sensors a new user sees with --simulate[=count]: paired "Tq580-"
// sensors (waiting with a stored log, waiting and empty, already logging),
// one "Tq570-" sibling and one sensor that is not paired.
QList<SimulatedSensorSpec> DefaultSensors(int count = 6);
