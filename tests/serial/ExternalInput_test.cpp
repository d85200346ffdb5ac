#include <gtest/gtest.h>

#include <vector>

#include "serial/ExternalInput.h"
#include "support/PseudoTerminalPair.h"
#include "serial/WUni232c.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A keyboard mark already waiting; a frame that completes nothing must leave it.
constexpr int32_t WaitingMark = 7;

struct FrameCase {
    const char* what;
    Bytes bytes;
    int32_t pendingEvent;
};

TEST(ExternalInputParser, TakesWellFormedFramesAndIgnoresTheRest) {
    const FrameCase cases[] = {
        {"event 3 started", {0x02, 0x53, 0x33, 0x03}, 3},
        {"event 3 ended", {0x02, 0x45, 0x33, 0x03}, -3},
        {"event 9 ended", {0x02, 'E', '9', 0x03}, -9},
        {"digit 0", {0x02, 0x53, 0x30, 0x03}, WaitingMark},
        {"kind X", {0x02, 0x58, 0x33, 0x03}, WaitingMark},
        {"lower-case kind", {0x02, 's', '3', 0x03}, WaitingMark},
        {"three bytes in the frame", {0x02, 0x53, 0x33, 0x34, 0x03}, WaitingMark},
        {"one byte in the frame", {0x02, 0x53, 0x03}, WaitingMark},
        {"no STX", {0x53, 0x33, 0x03}, WaitingMark},
        {"ETX twice", {0x02, 'S', '4', 0x03, 0x03}, 4},
        {"two frames: the last counts", {0x02, 'S', '1', 0x03, 0x02, 'E', '2', 0x03}, -2},
        {"a good frame, then a bad one", {0x02, 'S', '1', 0x03, 0x02, 'S', '0', 0x03}, 1},
        {"a new STX restarts the frame", {0x02, 'S', 0x02, 'E', '5', 0x03}, -5},
        {"noise before a frame", {'x', 0x00, 0xff, 0x02, 'S', '6', 0x03}, 6},
        {"a frame without ETX", {0x02, 'S', '6'}, WaitingMark},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ExternalInputParser parser;
        int32_t pendingEvent = WaitingMark;
        const bool completed = ScanExternalInput(parser, c.bytes.data(), static_cast<int32_t>(c.bytes.size()), pendingEvent);
        EXPECT_EQ(pendingEvent, c.pendingEvent);
        EXPECT_EQ(completed, c.pendingEvent != WaitingMark);
    }
}

TEST(ExternalInputParser, AFrameMaySpreadOverSeveralTicks) {
    const Bytes frame = {0x02, 0x53, 0x33, 0x03};
    for (size_t cut = 1; cut < frame.size(); ++cut) {
        SCOPED_TRACE(cut);
        ExternalInputParser parser;
        int32_t pendingEvent = 0;
        ScanExternalInput(parser, frame.data(), static_cast<int32_t>(cut), pendingEvent);
        EXPECT_EQ(pendingEvent, 0);
        ScanExternalInput(parser, frame.data() + cut, static_cast<int32_t>(frame.size() - cut), pendingEvent);
        EXPECT_EQ(pendingEvent, 3);
    }
    // One byte per tick, and nothing carried into a tick that reads nothing.
    ExternalInputParser parser;
    int32_t pendingEvent = 0;
    for (uint8_t byte : Bytes{0x02, 'E', '8'}) ScanExternalInput(parser, &byte, 1, pendingEvent);
    ScanExternalInput(parser, nullptr, 0, pendingEvent);
    EXPECT_EQ(pendingEvent, 0);
    const uint8_t end = 0x03;
    ScanExternalInput(parser, &end, 1, pendingEvent);
    EXPECT_EQ(pendingEvent, -8);
}

TEST(ExternalInputParser, StrayBytesAfterAFrameNeverCompleteAnother) {
    ExternalInputParser parser;
    int32_t pendingEvent = 0;
    const Bytes bytes = {0x02, 'S', '1', 0x03, 'S', '2', 0x03};
    ScanExternalInput(parser, bytes.data(), static_cast<int32_t>(bytes.size()), pendingEvent);
    EXPECT_EQ(pendingEvent, 1);
}

TEST(ExternalInputParser, ALongRunOfNoiseDoesNotUpsetTheCount) {
    ExternalInputParser parser;
    parser.ExtInCount = std::numeric_limits<int32_t>::max() - 1;
    int32_t pendingEvent = 0;
    const Bytes noise = {'a', 'b', 'c', 0x03, 0x02, 'S', '2', 0x03};
    ScanExternalInput(parser, noise.data(), static_cast<int32_t>(noise.size()), pendingEvent);
    EXPECT_EQ(pendingEvent, 2);
}

class ExternalInputOverPty : public ::testing::Test {
protected:
    void SetUp() override {
        if (!pair.failure.isEmpty()) GTEST_SKIP() << pair.failure.toStdString();
        port.DevicePath = pair.nearPath;
        port.BaudRate = 9600;
        ASSERT_EQ(port.Open(), 0);
    }

    PseudoTerminalPair pair;
    TWUni232c port;
    ExternalInputParser parser;
    int32_t pendingEvent = 0;
};

TEST_F(ExternalInputOverPty, ReadsSixteenBytesATickAndLeavesTheRestForTheNext) {
    // Five frames, 20 bytes, waiting before the tick.
    const QByteArray frames("\x02S1\x03\x02S2\x03\x02S3\x03\x02" "E4\x03\x02" "E5\x03");
    ASSERT_TRUE(pair.WriteFar(frames));
    ASSERT_TRUE(pair.WaitNearQueued(20, 5000));

    PollExternalInput(port, parser, pendingEvent);
    EXPECT_EQ(pendingEvent, -4);  // the fourth frame ends at byte 16
    pendingEvent = 0;
    PollExternalInput(port, parser, pendingEvent);
    EXPECT_EQ(pendingEvent, -5);
    pendingEvent = 0;
    PollExternalInput(port, parser, pendingEvent);
    EXPECT_EQ(pendingEvent, 0);
}

TEST_F(ExternalInputOverPty, AFrameSplitOverTwoTicks) {
    ASSERT_TRUE(pair.WriteFar("\x02S"));
    ASSERT_TRUE(pair.WaitNearQueued(2, 5000));
    PollExternalInput(port, parser, pendingEvent);
    EXPECT_EQ(pendingEvent, 0);

    ASSERT_TRUE(pair.WriteFar("3\x03"));
    ASSERT_TRUE(pair.WaitNearQueued(2, 5000));
    PollExternalInput(port, parser, pendingEvent);
    EXPECT_EQ(pendingEvent, 3);
}

TEST_F(ExternalInputOverPty, NothingIsReadWhileThePortIsClosed) {
    ASSERT_TRUE(pair.WriteFar("\x02S3\x03"));
    ASSERT_TRUE(pair.WaitNearQueued(4, 5000));
    port.Close();
    PollExternalInput(port, parser, pendingEvent);
    EXPECT_EQ(pendingEvent, 0);
}

}  // namespace
