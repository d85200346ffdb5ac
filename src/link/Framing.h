#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

class BleCentral;
class Clock;
struct LinkState;

// Bytes of the byte stream from the sensor.
constexpr uint8_t PacketStart = 0x7B;  // '{'
constexpr uint8_t PacketEscape = 0x7C;  // '|': the next byte is XOR 0x20
constexpr uint8_t PacketEnd = 0x7D;     // '}'
constexpr uint8_t TextStart = 0x02;     // STX
constexpr uint8_t TextEnd = 0x03;       // ETX
constexpr int MaxPacketLength = 256;

// Receives what the frame decoder completes.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    // Asked at each end byte: is a measurement or an upload running?
    virtual bool PacketsWanted() const = 0;
    // left: bytes of the same notification after the packet's end byte.
    virtual void PacketReceived(const uint8_t* packet, int32_t length, int32_t left) = 0;
};

// De-frames the notification byte stream. Its state carries over from one
// notification to the next, so frames may be split anywhere; a notification
// handled inside another one (a nested event loop) continues the same stream.
struct FrameDecoder {
    uint8_t RxPacket[MaxPacketLength + 1] = {};  // plus the terminating zero
    int32_t RxPacketLength = 0;
    bool RxInPacket = false;
    bool RxEscape = false;
    bool RxInText = false;
    QString ReplyText;            // collected, never interpreted
    bool ReplyReceived = false;   // set by an ETX; cleared by whoever waits for it

    void Feed(const QByteArray& value, FrameSink& sink);
};

// The write for one command: STX text ETX, with the time-sync frame in front
// when tsyncText is not empty.
QByteArray BuildCommandWrite(const QString& command, const QString& tsyncText);

// Writes the command to the active device; dropped silently when the link is
// not ready or the text is empty.
void SendCommand(const LinkState& link, BleCentral& central, const Clock& clock,
                 const QString& command, bool tsync);
