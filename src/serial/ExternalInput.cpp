#include "serial/ExternalInput.h"

#include <limits>

#include "serial/WUni232c.h"

bool ScanExternalInput(ExternalInputParser& parser, const uint8_t* bytes, int32_t count,
                       int32_t& PendingEvent) {
    bool completed = false;
    for (int32_t i = 0; i < count; ++i) {
        const uint8_t byte = bytes[i];
        if (byte == ExternalFrameStart) {
            parser.ExtInFrameOpen = true;
            parser.ExtInCount = 0;
        } else if (byte == ExternalFrameEnd) {
            const bool kindValid = parser.ExtInKind == ExternalEventStarted || parser.ExtInKind == ExternalEventEnded;
            const bool digitValid = parser.ExtInDigit >= '1' && parser.ExtInDigit <= '9';
            if (parser.ExtInFrameOpen && parser.ExtInCount == 2 && kindValid && digitValid) {
                const int32_t number = parser.ExtInDigit - '0';
                PendingEvent = parser.ExtInKind == ExternalEventEnded ? -number : number;
                completed = true;
            }
            parser.ExtInFrameOpen = false;
        } else {
            if (parser.ExtInCount == 0) parser.ExtInKind = byte;
            if (parser.ExtInCount == 1) parser.ExtInDigit = byte;
            // Counted outside frames too, so stray bytes never complete one;
            // held at the top so a line that babbles for weeks cannot wrap it.
            if (parser.ExtInCount < std::numeric_limits<int32_t>::max()) parser.ExtInCount++;
        }
    }
    return completed;
}

void PollExternalInput(TWUni232c& port, ExternalInputParser& parser, int32_t& PendingEvent) {
    if (!port.Connect()) return;
    uint8_t buffer[ExternalInputReadSize];
    const int32_t count = port.Read(ExternalInputReadSize, buffer);
    if (count > 0) ScanExternalInput(parser, buffer, count, PendingEvent);
}
