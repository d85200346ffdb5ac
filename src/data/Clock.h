#pragma once

#include <cstdint>

// The local clock, as an OLE date. Tests and the simulator set it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double Now() const = 0;
};

class SystemClock : public Clock {
public:
    double Now() const override;
};

class SettableClock : public Clock {
public:
    explicit SettableClock(double now = 0) : now_(now) {}
    double Now() const override { return now_; }
    void Set(double now) { now_ = now; }
    void AdvanceMilliseconds(int64_t milliseconds);

private:
    double now_;
};
