#pragma once

#include <cstdint>

class TWUni232c;

// Bytes of an event frame from the external device: STX, 'S' or 'E', a
// digit '1'..'9', ETX.
constexpr uint8_t ExternalFrameStart = 0x02;
constexpr uint8_t ExternalFrameEnd = 0x03;
constexpr uint8_t ExternalEventStarted = 'S';
constexpr uint8_t ExternalEventEnded = 'E';

// Bytes read from the port on each tick of the supervision timer.
constexpr int32_t ExternalInputReadSize = 16;

// Frame parser state. It outlives a tick, so a frame may arrive over
// several ticks.
struct ExternalInputParser {
    bool ExtInFrameOpen = false;  // an STX has been read
    uint8_t ExtInKind = 0;        // first byte after the STX
    uint8_t ExtInDigit = 0;       // second byte after the STX
    int32_t ExtInCount = 0;       // bytes since the STX
};

// Feeds bytes to the parser. Every complete frame sets PendingEvent (+n for
// 'S', -n for 'E'), so of several frames the last one counts. Returns true
// when at least one frame completed.
bool ScanExternalInput(ExternalInputParser& parser, const uint8_t* bytes, int32_t count,
                       int32_t& PendingEvent);

// The external-input step of the supervision timer: while the port is open,
// reads up to 16 bytes (waiting at most the port's read time-out) and scans
// them. A read error skips the tick; unread bytes wait for the next one.
void PollExternalInput(TWUni232c& port, ExternalInputParser& parser, int32_t& PendingEvent);
