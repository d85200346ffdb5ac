#include "link/Framing.h"

#include "link/BleCentral.h"
#include "link/LinkState.h"
#include "link/TimeSync.h"

void FrameDecoder::Feed(const QByteArray& value, FrameSink& sink) {
    // A copy: a nested notification must not change the bytes walked here.
    const QByteArray bytes = value;
    const int32_t count = static_cast<int32_t>(bytes.size());
    for (int32_t i = 0; i < count; ++i) {
        const auto b = static_cast<uint8_t>(bytes[i]);
        if (b == PacketStart) {
            RxPacketLength = 0;
            RxInPacket = true;
            RxEscape = false;
            RxInText = false;
        } else if (b == PacketEscape) {
            if (RxInPacket) RxEscape = true;
        } else if (b == PacketEnd) {
            RxPacket[RxPacketLength] = 0;
            const bool complete = RxInPacket && RxPacketLength != 0;
            RxInPacket = false;
            if (complete && sink.PacketsWanted())
                sink.PacketReceived(RxPacket, RxPacketLength, count - 1 - i);
        } else if (RxInPacket) {
            if (RxPacketLength < MaxPacketLength) {
                RxPacket[RxPacketLength++] = RxEscape ? b ^ 0x20 : b;
                RxEscape = false;
            }
        } else if (b == TextStart) {
            RxInText = true;
            ReplyText.clear();
        } else if (b == TextEnd) {
            if (RxInText) ReplyReceived = true;
            RxInText = false;
        } else if (RxInText) {
            ReplyText.append(QChar(b));
        }
    }
}

QByteArray BuildCommandWrite(const QString& command, const QString& tsyncText) {
    QByteArray write;
    if (!tsyncText.isEmpty()) {
        write.append(char(TextStart));
        write.append(tsyncText.toLatin1());
        write.append(char(TextEnd));
    }
    write.append(char(TextStart));
    write.append(command.toLatin1());
    write.append(char(TextEnd));
    return write;
}

void SendCommand(const LinkState& link, BleCentral& central, const Clock& clock,
                 const QString& command, bool tsync) {
    if (!link.DeviceLinkReady || command.isEmpty()) return;
    const QString tsyncText = tsync ? SyncDateTimeString(clock) : QString();
    central.WriteCharacteristic(link.ActiveDevice, link.WriteCharacteristic,
                                BuildCommandWrite(command, tsyncText));
}
