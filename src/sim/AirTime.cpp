#include "sim/AirTime.h"

#include <algorithm>

AirTime::AirTime(int64_t bytesPerSecond) : bytesPerSecond_(std::max<int64_t>(bytesPerSecond, 1)) {}

void AirTime::NotBefore(int64_t microseconds) { freeAt_ = std::max(freeAt_, microseconds); }

void AirTime::Carry(int bytes, int64_t sendMicroseconds) {
    // The remainder is kept, so the average rate is exact over a long upload.
    const int64_t scaled = static_cast<int64_t>(bytes) * 1000000 + carryMicroseconds_;
    freeAt_ = std::max(freeAt_, sendMicroseconds) + scaled / bytesPerSecond_;
    carryMicroseconds_ = scaled % bytesPerSecond_;
}
