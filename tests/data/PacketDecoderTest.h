#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QStringList>
#include <bit>

#include "data/Clock.h"
#include "data/OleDate.h"
#include "data/PacketDecoder.h"
#include "data/SampleStore.h"
#include "data/SupervisionState.h"

// Packets as the sensor sends them (big-endian), and a decoder wired to a
// record, a set clock and a listener that counts what the window is asked.

struct ChannelBlock {
    uint16_t status = 0;
    float first = 0;   // OXHb in real time, 770 nm intensity in an upload
    float second = 0;  // DXHb, or 830 nm intensity
    float sto2 = 0;
};

inline void PutUnsigned16(QByteArray& bytes, uint16_t value) {
    bytes.append(char(value >> 8));
    bytes.append(char(value & 0xFF));
}

inline void PutUnsigned32(QByteArray& bytes, uint32_t value) {
    PutUnsigned16(bytes, static_cast<uint16_t>(value >> 16));
    PutUnsigned16(bytes, static_cast<uint16_t>(value & 0xFFFF));
}

inline QByteArray MeasurementPacket(uint8_t seq, ChannelBlock ch1 = {}, ChannelBlock ch2 = {},
                                    uint16_t battery = 0x0400) {
    QByteArray bytes;
    bytes.append(char(seq));
    PutUnsigned16(bytes, battery);
    PutUnsigned16(bytes, 0xFC00);  // x -1 G
    PutUnsigned16(bytes, 0x0400);  // y +1 G
    PutUnsigned16(bytes, 0x0001);  // z 1/1024 G
    for (const ChannelBlock& block : {ch1, ch2}) {
        PutUnsigned16(bytes, block.status);
        PutUnsigned32(bytes, std::bit_cast<uint32_t>(block.first));
        PutUnsigned32(bytes, std::bit_cast<uint32_t>(block.second));
        PutUnsigned32(bytes, std::bit_cast<uint32_t>(block.sto2));
    }
    return bytes;
}

inline QByteArray UploadHeader(uint16_t rateIndex, uint32_t count, uint32_t bcdDate, uint32_t bcdTime,
                               uint8_t type = 0, uint16_t marker = 0x1234) {
    QByteArray bytes;
    bytes.append(char(type));
    PutUnsigned16(bytes, marker);
    PutUnsigned16(bytes, rateIndex);
    bytes.append(QByteArray(6, char(0x55)));
    PutUnsigned32(bytes, bcdDate);
    PutUnsigned32(bytes, bcdTime);
    PutUnsigned32(bytes, count);
    bytes.append(QByteArray(14, char(0x55)));
    return bytes;
}

inline QByteArray SensorCheckPacket(uint8_t seq, const uint16_t (&levels)[6]) {
    QByteArray bytes = MeasurementPacket(seq).left(9);
    for (uint16_t level : levels) PutUnsigned16(bytes, level);
    return bytes;
}

class CountingListener : public PacketDecoderListener {
public:
    int repaints = 0;
    int progressCalls = 0;
    QStringList statusTexts;
    void RepaintTrend() override { repaints++; }
    void UpdateProgress() override { progressCalls++; }
    void ShowStatusText(const QString& text) override { statusTexts.append(text); }
};

class PacketDecoderTest : public ::testing::Test {
protected:
    // 9 December 2026 14:30:05.250
    static double StartTime() { return *OleDateFromParts({2026, 12, 9, 14, 30, 5, 250}); }

    SampleStore store;
    SupervisionState supervision;
    QString targetDeviceName = QStringLiteral("Tq580-123456-001");
    bool liveReview = false;
    bool entireView = false;
    SettableClock clock{StartTime()};
    CountingListener listener;
    PacketDecoder decoder{{store, supervision, targetDeviceName, liveReview, entireView, clock, listener}};

    void SetUp() override { store.RecordRateIndex = 1; }

    void Feed(const QByteArray& packet, int32_t left = 0) {
        decoder.CheckPacket(reinterpret_cast<const uint8_t*>(packet.constData()),
                            static_cast<int32_t>(packet.size()), left);
    }

    // Real-time packets seq, seq+1, ... 100 ms apart.
    void FeedSequence(uint8_t firstSeq, int count) {
        for (int i = 0; i < count; ++i) {
            Feed(MeasurementPacket(static_cast<uint8_t>(firstSeq + i)));
            clock.AdvanceMilliseconds(100);
        }
    }

    void StartUpload() {
        store.UploadActive = true;
        store.UploadTotal = 0;
    }
};
