#include <gtest/gtest.h>

#include <cmath>

#include "SimHarness.h"
#include "link/Framing.h"

namespace {

const char* const Sensor = "Tq580-123456-001";

SimulationOptions OneSensor(int notificationSize = 244) {
    SimulationOptions options;
    SimulatedSensorSpec sensorSetup;
    sensorSetup.name = Sensor;
    options.sensors = {sensorSetup};
    options.notificationSize = notificationSize;
    return options;
}

// The time-sync frame and a command in one write, as the connect handler sends them.
QByteArray SyncAndCommand(const char* command) {
    return QByteArray("\x02TS,260314093000\x03\x02") + command + "\x03";
}

}  // namespace

TEST(SimulatedConnection, ServicesAreKnownAndTheConnectEventComesLaterForTheSameHandle) {
    SimHarness sim(OneSensor());
    const BleDevicePtr device = sim.Find(Sensor);
    ASSERT_TRUE(device);
    ASSERT_TRUE(sim.central->DiscoverServices(device));
    const BleServicePtr service = FindService(device, UartServiceUuid);
    ASSERT_TRUE(service);
    EXPECT_TRUE(FindCharacteristic(service, UartNotifyUuid));
    EXPECT_TRUE(FindCharacteristic(service, UartWriteUuid));

    QString error;
    ASSERT_TRUE(sim.central->Connect(device, &error));
    sim.Deliver();
    EXPECT_TRUE(sim.connected.empty());
    sim.Run(200);
    ASSERT_EQ(sim.connected.size(), 1u);
    EXPECT_EQ(sim.connected[0], device);

    sim.central->Disconnect(device);
    EXPECT_TRUE(sim.disconnected.empty());
    sim.Deliver();
    ASSERT_EQ(sim.disconnected.size(), 1u);
    EXPECT_EQ(sim.disconnected[0], device);

    EXPECT_FALSE(sim.central->Connect(std::make_shared<BleDevice>(), &error)) << "a handle of no scan";
    EXPECT_FALSE(error.isEmpty());
}

// Connects, ends the connection and at once asks for it again, in one go
// as an End followed by a quick Start does.
void DisconnectAndConnectAgain(SimHarness& sim, BleDevicePtr& device) {
    device = sim.ConnectTo(Sensor);
    ASSERT_TRUE(device);
    QString error;
    sim.central->Disconnect(device);
    ASSERT_TRUE(sim.central->Connect(device, &error));
}

// An end and a quick start again: the program hears the new connection
// only, never the old link's end, which would pass for the new one failing.
TEST(SimulatedConnection, AConnectRightAfterTheDisconnectIsHeardAsTheNewConnectionOnly) {
    SimHarness sim(OneSensor());
    BleDevicePtr device;
    ASSERT_NO_FATAL_FAILURE(DisconnectAndConnectAgain(sim, device));
    sim.Run(200);
    EXPECT_TRUE(sim.disconnected.empty());
    ASSERT_EQ(sim.connected.size(), 2u);
    EXPECT_EQ(sim.connected[1], device);

    sim.central->SetCharacteristicNotification(device, FindCharacteristic(FindService(device, UartServiceUuid), UartNotifyUuid),
                                               true);
    sim.Write(device, SyncAndCommand("ST1"));
    sim.Run(300);
    EXPECT_FALSE(ReadFrames(sim.received).packets.empty()) << "the new link streams";
}

// A Disconnect calls that connect off: one Disconnected, and no link.
TEST(SimulatedConnection, ADisconnectCallsOffTheConnectThatFollowedTheLastOne) {
    SimHarness sim(OneSensor());
    BleDevicePtr device;
    ASSERT_NO_FATAL_FAILURE(DisconnectAndConnectAgain(sim, device));
    sim.central->Disconnect(device);
    sim.Run(300);
    ASSERT_EQ(sim.disconnected.size(), 1u);
    EXPECT_EQ(sim.disconnected[0], device);
    EXPECT_EQ(sim.connected.size(), 1u);
    EXPECT_FALSE(sim.central->Sensor(Sensor)->Connected());
}

// Measurement packet: seq, battery (0.00352 V a count), acceleration x, y, z
// (1024 counts a G), then two 14-byte channel blocks of status, OXHb, DXHb
// and STO2, all big-endian.
TEST(SimulatedStream, StartStreamsMeasurementPacketsAtTheChosenRateUntilEnd) {
    SimHarness sim(OneSensor());
    const BleDevicePtr device = sim.ConnectTo(Sensor);
    ASSERT_TRUE(device);
    sim.Write(device, SyncAndCommand("ST1"));
    sim.Deliver();
    EXPECT_TRUE(sim.notifications.empty()) << "delivered inside the write";

    sim.Run(1000);
    ReadBack read = ReadFrames(sim.received);
    ASSERT_EQ(read.packets.size(), 10u);  // one every 100 ms
    EXPECT_TRUE(read.replies.isEmpty());
    for (int k = 0; k < 10; ++k) {
        SCOPED_TRACE(k);
        const QByteArray& packet = read.packets[k];
        ASSERT_EQ(packet.size(), 37);
        EXPECT_EQ(static_cast<uint8_t>(packet[0]), k);
        EXPECT_NEAR(BigEndian16(packet, 1) * 0.00352, 3.0, 0.01);
        EXPECT_NEAR(static_cast<int16_t>(BigEndian16(packet, 7)) / 1024.0, 1.0, 0.05);  // z: gravity
        for (int c = 0; c < 2; ++c) {
            const int block = 9 + 14 * c;
            EXPECT_EQ(BigEndian16(packet, block), 0);
            EXPECT_LT(std::fabs(FloatAt(packet, block + 2)), 0.05);  // OXHb near its start
            EXPECT_LT(std::fabs(FloatAt(packet, block + 6)), 0.05);
            EXPECT_GT(FloatAt(packet, block + 10), 0.55f);
            EXPECT_LT(FloatAt(packet, block + 10), 0.8f);
        }
    }

    // Computed from the clock: a minute in one step is 600 packets in order.
    sim.clock->AdvanceMilliseconds(60000);
    sim.central->Tick();
    sim.Deliver();
    read = ReadFrames(sim.received);
    ASSERT_EQ(read.packets.size(), 610u);
    for (size_t k = 0; k < read.packets.size(); ++k) ASSERT_EQ(static_cast<uint8_t>(read.packets[k][0]), k % 256);

    sim.Write(device, "\x02" "ED" "\x03");
    sim.Run(2000);
    EXPECT_EQ(ReadFrames(sim.received).packets.size(), 610u);
}

TEST(SimulatedStream, SlowestRateAndSensorCheck) {
    SimHarness sim(OneSensor());
    const BleDevicePtr device = sim.ConnectTo(Sensor);
    ASSERT_TRUE(device);
    sim.Write(device, SyncAndCommand("ST5"));
    sim.Run(14990);
    EXPECT_EQ(ReadFrames(sim.received).packets.size(), 2u);  // at 5 s and 10 s

    // Sensor-check packet: seq, battery, acceleration, then per channel the
    // 7 mm, 30 mm and 35 mm light levels, 16 bits each.
    sim.ForgetReceived();
    sim.Write(device, SyncAndCommand("CK2"));
    sim.Run(1000);
    const ReadBack read = ReadFrames(sim.received);
    ASSERT_EQ(read.packets.size(), 5u);
    for (const QByteArray& packet : read.packets) {
        ASSERT_EQ(packet.size(), 21);
        for (int c = 0; c < 2; ++c) {
            const int near = BigEndian16(packet, 9 + 6 * c);
            const int far = BigEndian16(packet, 13 + 6 * c);
            EXPECT_GT(near, far) << "the near detector sees the most light";
            EXPECT_LE(near, 4000) << "within the detectors' range";
            EXPECT_GT(far, 500) << "above a poor contact";
        }
    }
    EXPECT_EQ(static_cast<uint8_t>(read.packets[0][0]), 0) << "a new stream starts its sequence at 0";

    sim.Write(device, "\x02" "CK9" "\x03");  // no such rate: ignored, the check stream goes on
    sim.Run(400);
    EXPECT_EQ(ReadFrames(sim.received).packets.size(), 7u);
}

TEST(SimulatedStream, ResetReZeroesAndMarksTheNextSampleOfChannelOne) {
    SimHarness sim(OneSensor());
    const BleDevicePtr device = sim.ConnectTo(Sensor);
    ASSERT_TRUE(device);
    sim.Write(device, SyncAndCommand("ST1"));
    sim.Run(30000);  // let the values drift away from zero
    sim.ForgetReceived();
    sim.Command(device, "RS");
    sim.Run(300);
    const ReadBack read = ReadFrames(sim.received);
    ASSERT_EQ(read.packets.size(), 3u);
    const QByteArray& marked = read.packets[0];
    EXPECT_EQ(BigEndian16(marked, 9), 0x8000);
    EXPECT_EQ(BigEndian16(marked, 23), 0) << "bit 15 belongs to channel 1 only";
    for (int offset : {11, 15, 25, 29}) EXPECT_EQ(FloatAt(marked, offset), 0.0f);
    EXPECT_EQ(BigEndian16(read.packets[1], 9), 0);
    EXPECT_NE(FloatAt(read.packets[2], 11), 0.0f);
}

TEST(SimulatedStream, PacketBytesThatLookLikeFramingAreEscaped) {
    SimHarness sim(OneSensor());
    const BleDevicePtr device = sim.ConnectTo(Sensor);
    ASSERT_TRUE(device);
    sim.Write(device, SyncAndCommand("ST0"));
    sim.Run(6500);  // 130 packets: sequence numbers 0x7B, 0x7C and 0x7D among them

    // Every 0x7B on the air starts a packet, every 0x7D ends one.
    const QByteArray& raw = sim.received;
    EXPECT_EQ(raw.count('\x7B'), 130);
    EXPECT_EQ(raw.count('\x7D'), 130);
    for (const char* escaped : {"7b7c5b", "7b7c5c", "7b7c5d"}) EXPECT_TRUE(raw.contains(Hex(escaped))) << escaped;
    const ReadBack read = ReadFrames(raw);
    ASSERT_EQ(read.packets.size(), 130u);
    for (size_t k = 0; k < read.packets.size(); ++k) {
        ASSERT_EQ(read.packets[k].size(), 37);
        ASSERT_EQ(static_cast<uint8_t>(read.packets[k][0]), k);
    }
}

TEST(SimulatedStream, TwentyByteNotificationsCutPacketsAcrossNotifications) {
    SimHarness sim(OneSensor(20));
    const BleDevicePtr device = sim.ConnectTo(Sensor);
    ASSERT_TRUE(device);
    sim.Write(device, SyncAndCommand("ST1"));
    sim.Run(1010);  // the last packet's second part leaves a millisecond after its first
    ASSERT_FALSE(sim.notifications.empty());
    for (const QByteArray& value : sim.notifications) EXPECT_LE(value.size(), 20);
    EXPECT_EQ(sim.notifications[0].size(), 20);
    EXPECT_EQ(static_cast<uint8_t>(sim.notifications[0][0]), 0x7B);
    EXPECT_FALSE(sim.notifications[0].contains('\x7D')) << "the first packet continues in the next notification";
    EXPECT_EQ(ReadFrames(sim.received).packets.size(), 10u);

    // The program's decoder, written on its own from the same tables, reads
    // the same packets from the same notifications.
    struct Collect : FrameSink {
        std::vector<QByteArray> packets;
        bool PacketsWanted() const override { return true; }
        void PacketReceived(const uint8_t* packet, int32_t length, int32_t) override {
            packets.emplace_back(reinterpret_cast<const char*>(packet), length);
        }
    } sink;
    FrameDecoder decoder;
    for (const QByteArray& value : sim.notifications) decoder.Feed(value, sink);
    EXPECT_EQ(sink.packets, ReadFrames(sim.received).packets);
}

TEST(SimulatedStream, NothingIsNotifiedWithoutNotificationsOrAfterTheLinkDrops) {
    SimHarness sim(OneSensor());
    const BleDevicePtr device = sim.ConnectTo(Sensor);
    ASSERT_TRUE(device);
    const BleCharacteristicPtr notify = FindCharacteristic(FindService(device, UartServiceUuid), UartNotifyUuid);
    sim.central->SetCharacteristicNotification(device, notify, false);
    sim.Write(device, SyncAndCommand("ST1"));
    sim.Run(500);
    EXPECT_TRUE(sim.notifications.empty());

    sim.central->SetCharacteristicNotification(device, notify, true);
    sim.Run(500);
    EXPECT_EQ(ReadFrames(sim.received).packets.size(), 5u);

    sim.central->Sensor(Sensor)->DropLink();
    sim.Deliver();
    ASSERT_EQ(sim.disconnected.size(), 1u);
    EXPECT_EQ(sim.disconnected[0], device);
    sim.Write(device, SyncAndCommand("ST1"));
    sim.Run(1000);
    EXPECT_EQ(ReadFrames(sim.received).packets.size(), 5u);

    // Back to advertising, and it can be connected again.
    EXPECT_TRUE(sim.ConnectTo(Sensor));
}

// A sensor's clock keeps its own pace: over an hour at 0.1 s, 40 ppm fast
// is a sample and a half more than true time gives, 40 ppm slow as many less.
TEST(SimulatedStream, EachSensorStreamsAtThePaceOfItsOwnClock) {
    struct Pace {
        int ppm;
        size_t packets;
    };
    for (const Pace pace : {Pace{0, 36000}, Pace{40, 36001}, Pace{-40, 35998}}) {
        SCOPED_TRACE(pace.ppm);
        SimulationOptions options = OneSensor();
        options.sensors[0].clockDriftPpm = pace.ppm;
        SimHarness sim(options);
        const BleDevicePtr device = sim.ConnectTo(Sensor);
        ASSERT_TRUE(device);
        sim.Write(device, SyncAndCommand("ST1"));
        sim.Deliver();
        sim.ForgetReceived();
        sim.clock->AdvanceMilliseconds(3600 * 1000);
        sim.central->Tick();
        sim.Deliver();
        EXPECT_EQ(ReadFrames(sim.received).packets.size(), pace.packets);
    }
}
