#pragma once

#include <cstdint>

// Time on the air at a given rate: each notification takes it for its
// bytes, and the next may go once they are through. A link paces itself
// with one; the links of a central also share one, the radio's, so however
// many send at once they carry no more together than the adapter's
// connection events can.
class AirTime {
public:
    explicit AirTime(int64_t bytesPerSecond);

    // When the air is free for the next notification.
    int64_t FreeAtMicroseconds() const { return freeAt_; }
    // Nothing may go before then.
    void NotBefore(int64_t microseconds);
    // A notification of this many bytes went out at the given time.
    void Carry(int bytes, int64_t sendMicroseconds);

private:
    int64_t bytesPerSecond_;
    int64_t freeAt_ = 0;
    int64_t carryMicroseconds_ = 0;  // sub-microsecond remainders, in bytes x 1e6
};
