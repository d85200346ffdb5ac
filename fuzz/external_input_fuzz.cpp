// The serial event box's frames, read 16 bytes per timer tick as the port
// delivers them.

#include <algorithm>

#include "FuzzSupport.h"
#include "serial/ExternalInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ExternalInputParser parser;
    for (size_t at = 0; at < size; at += ExternalInputReadSize) {
        const auto count = static_cast<int32_t>(std::min<size_t>(ExternalInputReadSize, size - at));
        int32_t PendingEvent = 0;
        if (ScanExternalInput(parser, data + at, count, PendingEvent))
            FUZZ_REQUIRE(PendingEvent != 0 && PendingEvent >= -9 && PendingEvent <= 9);
        else
            FUZZ_REQUIRE(PendingEvent == 0);
    }
    return 0;
}
