#include <gtest/gtest.h>

#include <vector>

#include "data/Clock.h"
#include "data/OleDate.h"
#include "link/Framing.h"
#include "link/LinkState.h"
#include "support/RecordingCentral.h"

namespace {

struct Handed {
    QByteArray packet;
    int32_t left;
};

class CollectingSink : public FrameSink {
public:
    bool wanted = true;
    std::vector<Handed> packets;
    bool PacketsWanted() const override { return wanted; }
    void PacketReceived(const uint8_t* packet, int32_t length, int32_t left) override {
        packets.push_back({QByteArray(reinterpret_cast<const char*>(packet), length), left});
    }
};

QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray bytes;
    for (int v : values) bytes.append(static_cast<char>(v));
    return bytes;
}

}  // namespace

TEST(FrameDecoder, TwoPacketsInOneNotificationGetTheirLeft) {
    FrameDecoder decoder;
    CollectingSink sink;
    decoder.Feed(Bytes({0x7B, 0x01, 0x02, 0x7D, 0x7B, 0x03, 0x7D}), sink);
    ASSERT_EQ(sink.packets.size(), 2u);
    EXPECT_EQ(sink.packets[0].packet, Bytes({0x01, 0x02}));
    EXPECT_EQ(sink.packets[0].left, 3);
    EXPECT_EQ(sink.packets[1].packet, Bytes({0x03}));
    EXPECT_EQ(sink.packets[1].left, 0);
}

TEST(FrameDecoder, PacketSplitOverNotificationsCountsLeftInTheLastOne) {
    FrameDecoder decoder;
    CollectingSink sink;
    decoder.Feed(Bytes({0x7B, 0x10, 0x11}), sink);
    EXPECT_TRUE(sink.packets.empty());
    decoder.Feed(Bytes({0x12, 0x7D, 0xAA, 0xBB}), sink);
    ASSERT_EQ(sink.packets.size(), 1u);
    EXPECT_EQ(sink.packets[0].packet, Bytes({0x10, 0x11, 0x12}));
    EXPECT_EQ(sink.packets[0].left, 2);
}

TEST(FrameDecoder, EscapeAtTheEndOfANotificationAppliesToTheNextByte) {
    FrameDecoder decoder;
    CollectingSink sink;
    decoder.Feed(Bytes({0x7B, 0x41, 0x7C}), sink);
    decoder.Feed(Bytes({0x5D, 0x7C, 0x5B, 0x7C, 0x5C, 0x7C, 0x61, 0x7D}), sink);
    ASSERT_EQ(sink.packets.size(), 1u);
    EXPECT_EQ(sink.packets[0].packet, Bytes({0x41, 0x7D, 0x7B, 0x7C, 0x41}));
}

TEST(FrameDecoder, NewStartDiscardsAnOpenPacket) {
    FrameDecoder decoder;
    CollectingSink sink;
    decoder.Feed(Bytes({0x7B, 0x41, 0x42, 0x7B, 0x43, 0x7D}), sink);
    ASSERT_EQ(sink.packets.size(), 1u);
    EXPECT_EQ(sink.packets[0].packet, Bytes({0x43}));
}

TEST(FrameDecoder, OverlongPacketIsTruncatedAndStillHandedOver) {
    FrameDecoder decoder;
    CollectingSink sink;
    QByteArray notification(1, char(0x7B));
    for (int i = 0; i < 300; ++i) notification.append(char(i % 100 + 1));
    notification.append(char(0x7D));
    decoder.Feed(notification, sink);
    ASSERT_EQ(sink.packets.size(), 1u);
    EXPECT_EQ(sink.packets[0].packet.size(), MaxPacketLength);
    EXPECT_EQ(sink.packets[0].packet, notification.mid(1, MaxPacketLength));
    EXPECT_EQ(decoder.RxPacket[MaxPacketLength], 0);
}

TEST(FrameDecoder, EmptyPacketsAndStrayEndsAreNotHandedOver) {
    FrameDecoder decoder;
    CollectingSink sink;
    decoder.Feed(Bytes({0x7B, 0x7D, 0x7D, 0x7C, 0x55}), sink);
    EXPECT_TRUE(sink.packets.empty());
    EXPECT_FALSE(decoder.RxInPacket);
}

TEST(FrameDecoder, PacketsAreDroppedWhenNothingRuns) {
    FrameDecoder decoder;
    CollectingSink sink;
    sink.wanted = false;
    decoder.Feed(Bytes({0x7B, 0x01, 0x7D}), sink);
    EXPECT_TRUE(sink.packets.empty());
    EXPECT_FALSE(decoder.RxInPacket);
}

TEST(FrameDecoder, TextReplyOutsidePacketsButDataInside) {
    FrameDecoder decoder;
    CollectingSink sink;
    decoder.Feed(Bytes({0x02, 0x4F}), sink);
    EXPECT_FALSE(decoder.ReplyReceived);
    decoder.Feed(Bytes({0x4B, 0x03}), sink);
    EXPECT_TRUE(decoder.ReplyReceived);
    EXPECT_EQ(decoder.ReplyText, "OK");

    decoder.ReplyReceived = false;
    decoder.Feed(Bytes({0x7B, 0x02, 0x4F, 0x4B, 0x03, 0x7D}), sink);
    EXPECT_FALSE(decoder.ReplyReceived);
    EXPECT_EQ(decoder.ReplyText, "OK");
    ASSERT_EQ(sink.packets.size(), 1u);
    EXPECT_EQ(sink.packets[0].packet, Bytes({0x02, 0x4F, 0x4B, 0x03}));
}

TEST(FrameDecoder, PacketStartAbandonsAnOpenTextReply) {
    FrameDecoder decoder;
    CollectingSink sink;
    decoder.Feed(Bytes({0x02, 0x41, 0x7B, 0x42, 0x7D, 0x03}), sink);
    EXPECT_FALSE(decoder.ReplyReceived);
    ASSERT_EQ(sink.packets.size(), 1u);
}

// A handler that re-enters the decoder from inside a packet hand-over, as a
// nested event loop does; the outer notification then goes on with its bytes.
TEST(FrameDecoder, NestedNotificationContinuesTheSameStream) {
    FrameDecoder decoder;
    class NestingSink : public CollectingSink {
    public:
        FrameDecoder* decoder = nullptr;
        bool nested = false;
        void PacketReceived(const uint8_t* packet, int32_t length, int32_t left) override {
            CollectingSink::PacketReceived(packet, length, left);
            if (!nested) {
                nested = true;
                decoder->Feed(Bytes({0x7B, 0x22, 0x7D}), *this);
            }
        }
    } sink;
    sink.decoder = &decoder;
    decoder.Feed(Bytes({0x7B, 0x11, 0x7D, 0x7B, 0x33, 0x7D}), sink);
    ASSERT_EQ(sink.packets.size(), 3u);
    EXPECT_EQ(sink.packets[0].packet, Bytes({0x11}));
    EXPECT_EQ(sink.packets[1].packet, Bytes({0x22}));
    EXPECT_EQ(sink.packets[2].packet, Bytes({0x33}));
}

class SendCommandTest : public ::testing::Test {
protected:
    RecordingCentral central;
    LinkState link;
    SettableClock clock{*OleDateFromParts({2026, 12, 9, 1, 15, 1, 700})};

    void SetUp() override {
        link.DeviceLinkReady = true;
        link.ActiveDevice = std::make_shared<BleDevice>();
        link.WriteCharacteristic = std::make_shared<BleCharacteristic>(BleCharacteristic{UartWriteUuid});
    }
};

TEST_F(SendCommandTest, CommandAloneIsOneFrame) {
    SendCommand(link, central, clock, "ED", false);
    ASSERT_EQ(central.writes.size(), 1);
    EXPECT_EQ(central.writes[0].value, Bytes({0x02, 0x45, 0x44, 0x03}));
    EXPECT_EQ(central.writes[0].device, link.ActiveDevice);
    EXPECT_EQ(central.writes[0].characteristic, link.WriteCharacteristic);
}

TEST_F(SendCommandTest, TimeSyncFrameGoesInFrontInTheSameWrite) {
    SendCommand(link, central, clock, "ED", true);
    ASSERT_EQ(central.writes.size(), 1);
    EXPECT_EQ(central.writes[0].value, QByteArray("\x02TS,261209011502\x03\x02" "ED\x03"));
    EXPECT_EQ(central.writes[0].value.size(), 21);
}

TEST_F(SendCommandTest, NothingIsWrittenForEmptyTextOrWithoutLink) {
    SendCommand(link, central, clock, "", true);
    link.DeviceLinkReady = false;
    SendCommand(link, central, clock, "ED", false);
    EXPECT_TRUE(central.writes.isEmpty());
}
