#pragma once

#include <cstdint>

// Watch over a running link, kept by the 500 ms timer. It lives with the
// record rather than the link because the packet decoder clears it on every
// valid packet and the command senders reset the silence count.
struct SupervisionState {
    int32_t SilenceTicks = 0;  // timer ticks since the last packet
    bool LinkLost = false;     // silent for more than 20 ticks
};
