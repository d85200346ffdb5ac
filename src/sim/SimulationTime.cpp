#include "sim/SimulationTime.h"

#include "data/Clock.h"
#include "data/OleDate.h"

SimulationTime::SimulationTime(std::shared_ptr<const Clock> clock, bool monotonic)
    : clock_(clock ? std::move(clock) : std::make_shared<SystemClock>()), monotonic_(monotonic) {
    start_ = OleDateToMilliseconds(clock_->Now()) * 1000;
    elapsed_.start();
}

int64_t SimulationTime::NowMicroseconds() const {
    if (monotonic_) return start_ + elapsed_.nsecsElapsed() / 1000;
    return OleDateToMilliseconds(clock_->Now()) * 1000;
}

double SimulationTime::Date() const { return clock_->Now(); }
