#include "sim/SensorWire.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace SensorWire {
namespace {

void PutBigEndian16(QByteArray& bytes, uint16_t value) {
    bytes.append(static_cast<char>(value >> 8));
    bytes.append(static_cast<char>(value & 0xFF));
}

void PutBigEndian32(QByteArray& bytes, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes.append(static_cast<char>((value >> shift) & 0xFF));
}

void PutFloat(QByteArray& bytes, float value) { PutBigEndian32(bytes, std::bit_cast<uint32_t>(value)); }

void PutCommonHead(QByteArray& bytes, uint8_t seq, uint16_t battery, const int16_t acc[3]) {
    bytes.append(static_cast<char>(seq));
    PutBigEndian16(bytes, battery);
    for (int axis = 0; axis < 3; ++axis) PutBigEndian16(bytes, static_cast<uint16_t>(acc[axis]));
}

constexpr uint8_t PacketStartByte = 0x7B;
constexpr uint8_t PacketEscapeByte = 0x7C;
constexpr uint8_t PacketEndByte = 0x7D;
constexpr uint8_t TextStartByte = 0x02;
constexpr uint8_t TextEndByte = 0x03;

int BcdByte(int value) { return ((value / 10) % 10) << 4 | (value % 10); }

}  // namespace

QByteArray MeasurementPacket(const MeasurementFields& fields) {
    QByteArray bytes;
    bytes.reserve(MeasurementPacketLength);
    PutCommonHead(bytes, fields.seq, fields.battery, fields.acc);
    for (const ChannelBlock& channel : fields.ch) {
        PutBigEndian16(bytes, channel.status);
        PutFloat(bytes, channel.first);
        PutFloat(bytes, channel.second);
        PutFloat(bytes, channel.sto2);
    }
    return bytes;
}

QByteArray CheckPacket(const CheckFields& fields) {
    QByteArray bytes;
    bytes.reserve(CheckPacketLength);
    PutCommonHead(bytes, fields.seq, fields.battery, fields.acc);
    for (const auto& channel : fields.level)
        for (uint16_t level : channel) PutBigEndian16(bytes, level);
    return bytes;
}

QByteArray UploadHeader(const UploadHeaderFields& fields) {
    QByteArray bytes;
    bytes.reserve(UploadHeaderLength);
    bytes.append('\0');  // packet type
    bytes.append(static_cast<char>(0x12));
    bytes.append(static_cast<char>(fields.badMarker ? 0x43 : 0x34));
    PutBigEndian16(bytes, fields.rateIndex);
    bytes.append(6, '\0');
    PutBigEndian32(bytes, fields.date);
    PutBigEndian32(bytes, fields.time);
    PutBigEndian32(bytes, fields.count);
    bytes.append(14, '\0');
    return bytes;
}

QByteArray FramePacket(const QByteArray& content) {
    QByteArray bytes;
    bytes.reserve(content.size() + 8);
    bytes.append(static_cast<char>(PacketStartByte));
    for (char c : content) {
        const auto b = static_cast<uint8_t>(c);
        if (b == PacketStartByte || b == PacketEscapeByte || b == PacketEndByte) {
            bytes.append(static_cast<char>(PacketEscapeByte));
            bytes.append(static_cast<char>(b ^ 0x20));
        } else {
            bytes.append(c);
        }
    }
    bytes.append(static_cast<char>(PacketEndByte));
    return bytes;
}

QByteArray FrameText(const QByteArray& text) {
    QByteArray bytes;
    bytes.append(static_cast<char>(TextStartByte));
    bytes.append(text);
    bytes.append(static_cast<char>(TextEndByte));
    return bytes;
}

QByteArray ManufacturerData(const AdvertisementFields& fields) {
    const int batteryRaw = std::clamp(static_cast<int>(std::lround(fields.volts / 3.6 * 1024.0)), 0, 1023);
    const uint16_t status = static_cast<uint16_t>(batteryRaw | (fields.item & 0x3) << 10 |
                                                  (fields.rateIndex & 0x7) << 12 | (fields.measuring ? 0x8000 : 0));
    QByteArray bytes;
    bytes.reserve(ManufacturerDataLength);
    bytes.append(static_cast<char>(CompanyIdentifier & 0xFF));
    bytes.append(static_cast<char>(CompanyIdentifier >> 8));
    bytes.append(static_cast<char>(status & 0xFF));
    bytes.append(static_cast<char>(status >> 8));
    bytes.append(static_cast<char>(fields.value[0]));
    bytes.append(static_cast<char>(fields.value[1]));
    for (int shift = 0; shift < 32; shift += 8) bytes.append(static_cast<char>((fields.count >> shift) & 0xFF));
    return bytes;
}

uint8_t ValueByte(int item, double value) {
    if (item == 0) return static_cast<uint8_t>(std::clamp(std::lround(value * 100.0), 0L, 100L));
    const long hundredths = std::clamp(std::lround(value * 100.0), -128L, 127L);
    // 0xF0..0xFF are the error codes, so -0.01..-0.16 have no byte of their
    // own; the sensor reports them as 0 rather than as an error.
    if (hundredths < 0 && hundredths > -17) return 0;
    return static_cast<uint8_t>(hundredths & 0xFF);
}

uint32_t PackBcd(int high, int middle, int low) {
    return static_cast<uint32_t>(BcdByte(high) << 16 | BcdByte(middle) << 8 | BcdByte(low));
}

uint16_t PacketBatteryRaw(double volts) {
    return static_cast<uint16_t>(std::clamp(std::lround(volts / 0.00352), 0L, 65535L));
}

int16_t AccelerationRaw(double g) {
    return static_cast<int16_t>(std::clamp(std::lround(g * 1024.0), -32768L, 32767L));
}

QList<QByteArray> CommandReader::Feed(const QByteArray& bytes) {
    QList<QByteArray> texts;
    for (char c : bytes) {
        const auto b = static_cast<uint8_t>(c);
        if (b == TextStartByte) {
            inText_ = true;
            text_.clear();
        } else if (b == TextEndByte) {
            if (inText_) texts.append(text_);
            inText_ = false;
            text_.clear();
        } else if (inText_) {
            if (text_.size() < MaxTextLength) text_.append(c);
        }
    }
    return texts;
}

}  // namespace SensorWire
