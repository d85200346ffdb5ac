#include "journal/JournalFormat.h"

#include <QByteArray>
#include <bit>
#include <cstring>

#include "journal/Crc32.h"

namespace {

constexpr char Magic[8] = {'T', 'Q', '5', '8', '0', 'J', 'N', 'L'};
constexpr int PayloadOffset = 4;

// Appends fields in little-endian order from the payload's start.
class EntryWriter {
public:
    explicit EntryWriter(JournalEntryType type) {
        entry_.fill(0);
        entry_[0] = static_cast<uint8_t>(type);
    }
    void U8(uint8_t value) { entry_[at_++] = value; }
    void U16(uint16_t value) { Unsigned(value, 2); }
    void I32(int32_t value) { Unsigned(static_cast<uint32_t>(value), 4); }
    void F32(float value) { Unsigned(std::bit_cast<uint32_t>(value), 4); }
    void F64(double value) { Unsigned(std::bit_cast<uint64_t>(value), 8); }
    void Bytes(const char* data, int length) {
        std::memcpy(entry_.data() + at_, data, static_cast<size_t>(length));
        at_ += length;
    }
    JournalEntry Finish() {
        const uint32_t crc = Crc32(entry_.data(), JournalChecksumOffset);
        for (int i = 0; i < 4; ++i) entry_[JournalChecksumOffset + i] = static_cast<uint8_t>(crc >> (8 * i));
        return entry_;
    }

private:
    void Unsigned(uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) entry_[at_++] = static_cast<uint8_t>(value >> (8 * i));
    }
    JournalEntry entry_;
    int at_ = PayloadOffset;
};

class EntryReader {
public:
    explicit EntryReader(const uint8_t* entry) : entry_(entry) {}
    uint8_t U8() { return entry_[at_++]; }
    uint16_t U16() { return static_cast<uint16_t>(Unsigned(2)); }
    int32_t I32() { return static_cast<int32_t>(static_cast<uint32_t>(Unsigned(4))); }
    float F32() { return std::bit_cast<float>(static_cast<uint32_t>(Unsigned(4))); }
    double F64() { return std::bit_cast<double>(Unsigned(8)); }
    const uint8_t* Bytes(int length) {
        const uint8_t* start = entry_ + at_;
        at_ += length;
        return start;
    }

private:
    uint64_t Unsigned(int bytes) {
        uint64_t value = 0;
        for (int i = 0; i < bytes; ++i) value |= static_cast<uint64_t>(entry_[at_++]) << (8 * i);
        return value;
    }
    const uint8_t* entry_;
    int at_ = PayloadOffset;
};

// The longest prefix of the name's UTF-8 that fits and ends on a character.
QByteArray DeviceIdBytes(const QString& deviceId) {
    QByteArray bytes = deviceId.toUtf8();
    if (bytes.size() <= JournalMaxDeviceIdBytes) return bytes;
    qsizetype length = JournalMaxDeviceIdBytes;
    while (length > 0 && (static_cast<uint8_t>(bytes[length]) & 0xC0) == 0x80) --length;
    return bytes.left(length);
}

}  // namespace

JournalEntry EncodeFileEntry(uint16_t version) {
    EntryWriter writer(JournalEntryType::File);
    writer.Bytes(Magic, sizeof Magic);
    writer.U16(version);
    writer.U16(JournalEntrySize);
    return writer.Finish();
}

JournalEntry EncodeHeaderEntry(const JournalHeader& header) {
    EntryWriter writer(JournalEntryType::Header);
    writer.U8(static_cast<uint8_t>(header.kind));
    writer.I32(header.rateIndex);
    writer.F64(header.startTime);
    const QByteArray id = DeviceIdBytes(header.deviceId);
    writer.U8(static_cast<uint8_t>(id.size()));
    writer.Bytes(id.constData(), static_cast<int>(id.size()));
    return writer.Finish();
}

JournalEntry EncodeSampleEntry(int32_t position, const MEAS_DATA_TYPE& sample) {
    EntryWriter writer(JournalEntryType::Sample);
    writer.I32(position);
    writer.F64(sample.time);
    writer.U8(sample.seq);
    writer.I32(sample.index);
    writer.F32(sample.batt);
    for (float acceleration : sample.acc) writer.F32(acceleration);
    for (const CH_DATA_TYPE& channel : sample.ch) {
        writer.U16(channel.status);
        for (float value : {channel.oxhb, channel.dxhb, channel.tohb, channel.sto2, channel.i770, channel.i830})
            writer.F32(value);
        for (uint16_t level : channel.level) writer.U16(level);
    }
    return writer.Finish();
}

JournalEntry EncodeMarkEntry(int slot, const EVENT_MARK_TYPE& mark) {
    EntryWriter writer(JournalEntryType::Mark);
    writer.U8(static_cast<uint8_t>(slot));
    writer.I32(mark.sample);
    writer.I32(mark.code);
    return writer.Finish();
}

JournalEntry EncodePendingMarkEntry(double tm, int32_t event) {
    EntryWriter writer(JournalEntryType::PendingMark);
    writer.F64(tm);
    writer.I32(event);
    return writer.Finish();
}

JournalEntry EncodeMarksTakenEntry(int32_t count) {
    EntryWriter writer(JournalEntryType::MarksTaken);
    writer.I32(count);
    return writer.Finish();
}

bool DecodeEntry(const uint8_t* bytes, DecodedEntry& entry) {
    uint32_t stored = 0;
    for (int i = 0; i < 4; ++i) stored |= static_cast<uint32_t>(bytes[JournalChecksumOffset + i]) << (8 * i);
    if (Crc32(bytes, JournalChecksumOffset) != stored) return false;

    EntryReader reader(bytes);
    switch (static_cast<JournalEntryType>(bytes[0])) {
        case JournalEntryType::File:
            entry.type = JournalEntryType::File;
            entry.magicMatches = std::memcmp(reader.Bytes(sizeof Magic), Magic, sizeof Magic) == 0;
            entry.version = reader.U16();
            entry.entrySize = reader.U16();
            return true;
        case JournalEntryType::Header: {
            entry.type = JournalEntryType::Header;
            const uint8_t kind = reader.U8();
            if (kind < 1 || kind > 3) return false;
            entry.header.kind = static_cast<JournalKind>(kind);
            entry.header.rateIndex = reader.I32();
            entry.header.startTime = reader.F64();
            const int length = reader.U8();
            if (length > JournalMaxDeviceIdBytes) return false;
            entry.header.deviceId =
                QString::fromUtf8(reinterpret_cast<const char*>(reader.Bytes(length)), length);
            return true;
        }
        case JournalEntryType::Sample: {
            entry.type = JournalEntryType::Sample;
            entry.position = reader.I32();
            if (entry.position < 0 || entry.position >= MaxSamples) return false;
            MEAS_DATA_TYPE& sample = entry.sample;
            sample.time = reader.F64();
            sample.seq = reader.U8();
            sample.index = reader.I32();
            sample.batt = reader.F32();
            for (float& acceleration : sample.acc) acceleration = reader.F32();
            for (CH_DATA_TYPE& channel : sample.ch) {
                channel.status = reader.U16();
                for (float* value : {&channel.oxhb, &channel.dxhb, &channel.tohb, &channel.sto2, &channel.i770,
                                     &channel.i830})
                    *value = reader.F32();
                for (uint16_t& level : channel.level) level = reader.U16();
            }
            return true;
        }
        case JournalEntryType::Mark:
            entry.type = JournalEntryType::Mark;
            entry.slot = reader.U8();
            entry.mark.sample = reader.I32();
            entry.mark.code = reader.I32();
            return entry.slot < MaxEventMarks;
        case JournalEntryType::PendingMark:
            entry.type = JournalEntryType::PendingMark;
            entry.markTime = reader.F64();
            entry.markEvent = reader.I32();
            return true;
        case JournalEntryType::MarksTaken:
            entry.type = JournalEntryType::MarksTaken;
            entry.marksTaken = reader.I32();
            return entry.marksTaken >= 0;
    }
    return false;
}
