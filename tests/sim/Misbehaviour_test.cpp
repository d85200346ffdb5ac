#include <gtest/gtest.h>

#include <functional>

#include "SimHarness.h"

namespace {

const char* const Sensor = "Tq580-123456-001";

struct Streaming {
    SimHarness sim;
    BleDevicePtr device;
    SimulatedSensor* sensor;

    explicit Streaming(int storedSamples = 0) : sim(Options(storedSamples)) {
        device = sim.ConnectTo(Sensor);
        sensor = sim.central->Sensor(Sensor);
    }
    static SimulationOptions Options(int storedSamples) {
        SimulationOptions options;
        SimulatedSensorSpec sensorSetup;
        sensorSetup.name = Sensor;
        sensorSetup.storedSamples = storedSamples;
        options.sensors = {sensorSetup};
        return options;
    }
    void Start(const char* command) { sim.Write(device, QByteArray("\x02TS,260314093000\x03\x02") + command + "\x03"); }
    std::vector<int> Sequence() const {
        std::vector<int> sequence;
        for (const QByteArray& packet : ReadFrames(sim.received).packets) sequence.push_back(static_cast<uint8_t>(packet[0]));
        return sequence;
    }
};

}  // namespace

TEST(SimulatedMisbehaviour, DroppedRepeatedAndSilencedPacketsShowInTheSequence) {
    struct Case {
        const char* name;
        std::function<void(SimulatedSensor&)> misbehave;
        std::vector<int> expected;  // sequence numbers over 1 s at 100 ms, misbehaving from 0.35 s
    };
    const Case cases[] = {
        {"drop two", [](SimulatedSensor& s) { s.DropPackets(2); }, {0, 1, 2, 5, 6, 7, 8, 9}},
        {"repeat one", [](SimulatedSensor& s) { s.RepeatPackets(1); }, {0, 1, 2, 3, 3, 4, 5, 6, 7, 8, 9}},
        {"silent for 0.3 s", [](SimulatedSensor& s) { s.SetSilent(true); }, {0, 1, 2, 6, 7, 8, 9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Streaming stream;
        ASSERT_TRUE(stream.device);
        stream.Start("ST1");
        stream.sim.Run(350);
        c.misbehave(*stream.sensor);
        stream.sim.Run(300);
        stream.sensor->SetSilent(false);
        stream.sim.Run(350);
        EXPECT_EQ(stream.Sequence(), c.expected);
    }
}

TEST(SimulatedMisbehaviour, ARestartFallsSilentThenStartsAgainAtSequenceZeroWithAnInitPoint) {
    Streaming stream;
    ASSERT_TRUE(stream.device);
    stream.Start("ST1");
    stream.sim.Run(10050);
    stream.sensor->Resynchronise(3000);
    stream.sim.ForgetReceived();
    stream.sim.Run(2950);
    EXPECT_TRUE(stream.sim.received.isEmpty());
    stream.sim.Run(300);
    const ReadBack read = ReadFrames(stream.sim.received);
    ASSERT_EQ(read.packets.size(), 3u);
    EXPECT_EQ(static_cast<uint8_t>(read.packets[0][0]), 0);
    EXPECT_EQ(BigEndian16(read.packets[0], 9), 0x8000);
    EXPECT_EQ(FloatAt(read.packets[0], 11), 0.0f);
    EXPECT_EQ(static_cast<uint8_t>(read.packets[1][0]), 1);
}

TEST(SimulatedMisbehaviour, ErrorBitsAndLowBatteryShowInPacketsAndAdvertisements) {
    Streaming stream;
    ASSERT_TRUE(stream.device);
    stream.sensor->SetErrorBits(0x0005);
    stream.sensor->SetLowBattery(true);
    stream.Start("ST1");
    stream.sim.Run(100);
    const ReadBack read = ReadFrames(stream.sim.received);
    ASSERT_EQ(read.packets.size(), 1u);
    EXPECT_EQ(BigEndian16(read.packets[0], 9), 0x0005);
    EXPECT_EQ(BigEndian16(read.packets[0], 23), 0x0005);
    EXPECT_EQ(BigEndian16(read.packets[0], 1), 682);  // 2.4 V at 0.00352 V a count

    stream.sim.Command(stream.device, "@SS1,1");
    stream.sim.Run(50);
    stream.sim.central->Disconnect(stream.device);
    QString error;
    ASSERT_TRUE(stream.sim.central->DiscoverDevices(600, &error));
    stream.sim.Run(600);
    ASSERT_FALSE(stream.sim.advertisements.empty());
    const QByteArray& advertisement = stream.sim.advertisements.back().data;
    EXPECT_EQ(advertisement.mid(2, 4), Hex("ab96" "f1f1"));  // 2.4 V raw 683, OXHb, logging; "ERR" twice
}

TEST(SimulatedMisbehaviour, ABadUploadHeaderAndADroppedUploadSample) {
    Streaming stream(1000);
    ASSERT_TRUE(stream.device);
    stream.sensor->SetBadUploadHeader(true);
    stream.Start("GS4");
    stream.sim.Run(20);
    ReadBack read = ReadFrames(stream.sim.received);
    ASSERT_FALSE(read.packets.empty());
    EXPECT_NE(read.packets[0].mid(0, 3), Hex("001234"));

    stream.sensor->SetBadUploadHeader(false);
    stream.sim.Command(stream.device, "GC");
    stream.sim.Run(200);
    stream.sim.ForgetReceived();
    stream.sim.Command(stream.device, "GS4");
    stream.sim.Run(20);
    stream.sensor->DropPackets(1);
    stream.sim.Run(2000);
    read = ReadFrames(stream.sim.received);
    ASSERT_EQ(read.packets.size(), 1000u);  // the header and 999 of the 1000 samples
    EXPECT_EQ(read.packets[0].mid(0, 3), Hex("001234"));
    int gaps = 0;
    for (size_t k = 2; k < read.packets.size(); ++k)
        gaps += static_cast<uint8_t>(read.packets[k][0] - read.packets[k - 1][0]) != 1;
    EXPECT_EQ(gaps, 1);
}

// Told to drop its link (as --simulate-drop does), a sensor ends the
// connection that long after a stream started and stays away for a while;
// a stream started again on the new link does not drop it again, a stream
// after "ED" does.
TEST(SimulatedMisbehaviour, ADropAfterTheStartEndsTheLinkAndTheSensorReturnsLater) {
    SimulationOptions options = Streaming::Options(0);
    options.dropAfterSeconds = 2;
    options.dropForSeconds = 3;
    SimHarness sim(options);
    BleDevicePtr device = sim.ConnectTo(Sensor);
    ASSERT_TRUE(device);
    SimulatedSensor* sensor = sim.central->Sensor(Sensor);
    sim.Command(device, "ST1");
    sim.Run(1900);
    EXPECT_TRUE(sensor->Connected());
    EXPECT_TRUE(sim.disconnected.empty());
    sim.Run(200);
    EXPECT_FALSE(sensor->Connected());
    ASSERT_EQ(sim.disconnected.size(), 1u);
    EXPECT_FALSE(sensor->Advertising());
    sim.Run(2800);
    EXPECT_FALSE(sensor->Advertising());
    sim.Run(300);
    EXPECT_TRUE(sensor->Advertising());

    device = sim.ConnectTo(Sensor);
    ASSERT_TRUE(device);
    sim.Command(device, "ST1");  // the program starts it again
    sim.Run(5000);
    EXPECT_TRUE(sensor->Connected());
    EXPECT_EQ(sim.disconnected.size(), 1u);

    sim.Command(device, "ED");
    sim.Command(device, "ST1");  // a new measurement
    sim.Run(2100);
    EXPECT_FALSE(sensor->Connected());
    EXPECT_EQ(sim.disconnected.size(), 2u);
}

// The drop is the first sensor's alone: a second one measured with it keeps its link.
TEST(SimulatedMisbehaviour, OnlyTheFirstSensorDrops) {
    SimulationOptions options = Streaming::Options(0);
    SimulatedSensorSpec second;
    second.name = "Tq580-123456-002";
    options.sensors.append(second);
    options.dropAfterSeconds = 1;
    options.dropForSeconds = 3;
    SimHarness sim(options);
    const BleDevicePtr first = sim.ConnectTo(Sensor);
    const BleDevicePtr other = sim.ConnectTo(second.name);
    ASSERT_TRUE(first && other);
    sim.Command(first, "ST1");
    sim.Command(other, "ST1");
    sim.Run(2000);
    EXPECT_FALSE(sim.central->Sensor(Sensor)->Connected());
    EXPECT_TRUE(sim.central->Sensor(second.name)->Connected());
}
