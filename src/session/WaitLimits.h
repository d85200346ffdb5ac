#pragma once

#include <cstdint>

// How long the flows wait for a sensor, in supervision ticks (500 ms).

// A running link that carries nothing this long has been lost (10 s).
constexpr int32_t SilentTicksBeforeLost = 20;
// A link that is not up after this long (20 s, past the platform's own
// connect time-out) will not come.
constexpr int32_t ConnectWaitTicks = 40;
// An upload waits this long (15 s: a scan and its watchdog, and more) for a
// scan to end before it gives up.
constexpr int32_t UploadScanWaitTicks = 30;
