#pragma once

#include <QElapsedTimer>
#include <cstdint>
#include <memory>

class Clock;

// The two times of the simulation: when things are due (microseconds, only
// ever compared with each other) and the PC's local date (an OLE date),
// which a sensor's own clock is set from.
class SimulationTime {
public:
    // monotonic: due times follow a steady timer from now on; otherwise they
    // follow the clock, so whoever sets the clock moves the simulation.
    SimulationTime(std::shared_ptr<const Clock> clock, bool monotonic);

    int64_t NowMicroseconds() const;
    double Date() const;

private:
    std::shared_ptr<const Clock> clock_;
    bool monotonic_;
    QElapsedTimer elapsed_;
    int64_t start_ = 0;
};
