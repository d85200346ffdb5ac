#include <gtest/gtest.h>

#include <cmath>

#include "SimHarness.h"
#include "data/OleDate.h"

namespace {

const char* const Sensor = "Tq580-123456-001";

SimulationOptions OneSensor(int storedSamples = 0, int rateIndex = 1) {
    SimulationOptions options;
    SimulatedSensorSpec sensorSetup;
    sensorSetup.name = Sensor;
    sensorSetup.storedSamples = storedSamples;
    sensorSetup.storedRateIndex = rateIndex;
    options.sensors = {sensorSetup};
    return options;
}

QByteArray SyncAndCommand(const char* sync, const char* command) {
    return QByteArray("\x02") + sync + "\x03\x02" + command + "\x03";
}

// The last advertisement of the only sensor, after a short scan.
QByteArray Advertisement(SimHarness& sim) {
    QString error;
    if (!sim.central->DiscoverDevices(600, &error)) return {};
    sim.Run(600, 1);
    return sim.advertisements.empty() ? QByteArray() : sim.advertisements.back().data;
}

uint16_t StatusWord(const QByteArray& advertisement) {
    return static_cast<uint16_t>(static_cast<uint8_t>(advertisement[2]) | static_cast<uint8_t>(advertisement[3]) << 8);
}

uint32_t AdvertisedCount(const QByteArray& advertisement) {
    uint32_t count = 0;
    for (int i = 3; i >= 0; --i) count = count << 8 | static_cast<uint8_t>(advertisement[6 + i]);
    return count;
}

// The PC's haemoglobin calculation from the device's two-wavelength
// coefficients, to see that the uploaded intensities mean plausible values.
void Haemoglobin(float reference770, float reference830, float i770, float i830, double& oxhb, double& dxhb) {
    const double l7 = std::log(reference770 / i770), l8 = std::log(reference830 / i830);
    oxhb = (-3.49185 * l7 + 6.36668 * l8) / 25.51;
    dxhb = (4.70129 * l7 - 3.00682 * l8) / 25.51;
}

}  // namespace

TEST(SimulatedStorage, RemoteStartAndStopAnswerAndChangeWhatIsAdvertised) {
    SimHarness sim(OneSensor());
    const BleDevicePtr device = sim.ConnectTo(Sensor);
    ASSERT_TRUE(device);
    const int64_t started = sim.NowMilliseconds();
    sim.Write(device, SyncAndCommand("TS,260314093001", "@SS4,2"));
    sim.Run(50);
    EXPECT_EQ(sim.received, Hex("024f4b03"));  // STX "OK" ETX
    sim.central->Disconnect(device);

    sim.Run(9400);
    QByteArray advertisement = Advertisement(sim);
    ASSERT_EQ(advertisement.size(), 10);
    EXPECT_EQ(StatusWord(advertisement) & 0xFC00, 0x8000 | 4 << 12 | 2 << 10);  // logging, 1 s, DXHb
    // One at the start, then one a second.
    const int64_t heardAfter = sim.advertisements.back().atMilliseconds - started;
    EXPECT_GE(heardAfter, 9400);
    EXPECT_EQ(AdvertisedCount(advertisement), 1 + heardAfter / 1000);

    const BleDevicePtr again = sim.ConnectTo(Sensor);
    ASSERT_TRUE(again);
    EXPECT_EQ(again, device) << "the same sensor keeps its handle";
    sim.ForgetReceived();
    sim.Write(again, SyncAndCommand("TS,260314093013", "@SDN"));
    sim.Run(50);
    EXPECT_EQ(sim.received, Hex("024f4b03"));
    const uint32_t logged = static_cast<uint32_t>(sim.central->Sensor(Sensor)->StoredSamples());
    sim.central->Disconnect(again);
    sim.Run(60000);
    advertisement = Advertisement(sim);
    EXPECT_EQ(StatusWord(advertisement) & 0xFC00, 4 << 12 | 2 << 10) << "waiting, the log's rate and item kept";
    EXPECT_EQ(AdvertisedCount(advertisement), logged);
    EXPECT_GE(logged, 12u);
}

TEST(SimulatedStorage, AStartWithArgumentsOutOfRangeIsRefused) {
    SimHarness sim(OneSensor());
    const BleDevicePtr device = sim.ConnectTo(Sensor);
    ASSERT_TRUE(device);
    for (const char* command : {"@SS9,0", "@SS1,4"}) {
        sim.ForgetReceived();
        sim.Command(device, command);
        sim.Run(50);
        EXPECT_EQ(sim.received, Hex("024e4703")) << command;  // STX "NG" ETX
    }
    EXPECT_FALSE(sim.central->Sensor(Sensor)->Logging());
}

// Upload header: type 0, marker 12 34, rate index, six unused bytes, the
// start date and time in packed BCD, the sample count, fourteen unused bytes.
TEST(SimulatedStorage, UploadSendsTheHeaderFromTheSyncedClockThenTheLoggedSamples) {
    SimHarness sim(OneSensor());
    BleDevicePtr device = sim.ConnectTo(Sensor);
    ASSERT_TRUE(device);
    // A sensor clock set far from the PC's shows where the header's time comes from.
    sim.Write(device, SyncAndCommand("TS,300102030405", "@SS1,0"));
    sim.Run(29950);  // 300 samples at 100 ms
    sim.Command(device, "@SDN");
    sim.Run(50);
    sim.central->Disconnect(device);

    device = sim.ConnectTo(Sensor);
    ASSERT_TRUE(device);
    sim.ForgetReceived();
    sim.Write(device, SyncAndCommand("TS,260314093100", "GS4"));
    sim.Run(2000);
    const ReadBack read = ReadFrames(sim.received);
    ASSERT_EQ(read.packets.size(), 301u);
    EXPECT_EQ(read.packets[0], Hex("001234" "0001" "000000000000" "00300102" "00030405" "0000012c"
                                   "0000000000000000000000000000"));

    float reference[2][2] = {};
    for (int k = 0; k < 300; ++k) {
        SCOPED_TRACE(k);
        const QByteArray& sample = read.packets[1 + k];
        ASSERT_EQ(sample.size(), 37);
        EXPECT_EQ(static_cast<uint8_t>(sample[0]), k % 256);
        for (int c = 0; c < 2; ++c) {
            const int block = 9 + 14 * c;
            EXPECT_EQ(BigEndian16(sample, block), k == 0 ? 0x1000 : 0) << "the first sample is the reference";
            const float i770 = FloatAt(sample, block + 2), i830 = FloatAt(sample, block + 6);
            ASSERT_GT(i770, 1000.0f);
            ASSERT_GT(i830, 1000.0f);
            if (k == 0) {
                reference[c][0] = i770;
                reference[c][1] = i830;
            }
            double oxhb = 0, dxhb = 0;
            Haemoglobin(reference[c][0], reference[c][1], i770, i830, oxhb, dxhb);
            EXPECT_LT(std::fabs(oxhb), 0.1);
            EXPECT_LT(std::fabs(dxhb), 0.1);
            EXPECT_GT(FloatAt(sample, block + 10), 0.55f);
        }
    }

    // The log survives an upload until it is cleared.
    sim.Command(device, "@CLR");
    sim.Run(50);
    sim.ForgetReceived();
    sim.Command(device, "GS4");
    sim.Run(500);
    const ReadBack cleared = ReadFrames(sim.received);
    ASSERT_EQ(cleared.packets.size(), 1u);
    EXPECT_EQ(BigEndian32(cleared.packets[0], 19), 0u);
    EXPECT_EQ(BigEndian32(cleared.packets[0], 11), 0x260314u) << "an empty log is dated by the sensor's clock";
}

TEST(SimulatedStorage, CancelStopsTheUploadAfterThePacketOnTheAir) {
    SimHarness sim(OneSensor(12000));
    const BleDevicePtr device = sim.ConnectTo(Sensor);
    ASSERT_TRUE(device);
    sim.Write(device, SyncAndCommand("TS,260314093100", "GS4"));
    sim.Run(1000);
    sim.Command(device, "GC");
    const qsizetype atCancel = sim.received.size();
    sim.Run(2000);
    const QByteArray& raw = sim.received;
    EXPECT_LE(raw.size() - atCancel, 2 * 244 + 80) << "what was queued for the air, at most";
    EXPECT_EQ(raw.count('\x7B'), raw.count('\x7D')) << "no packet left unfinished";
    const size_t packets = ReadFrames(raw).packets.size();
    EXPECT_GT(packets, 400u);  // about a second at 20 kB/s
    EXPECT_LT(packets, 600u);
    EXPECT_EQ(sim.central->Sensor(Sensor)->StoredSamples(), 12000) << "a cancelled upload keeps the log";
}

TEST(SimulatedStorage, AFullStoreUploadsEverySampleInSequenceAtTheLinkRate) {
    SimulationOptions options = OneSensor(108000);
    SimHarness sim(options);
    const BleDevicePtr device = sim.ConnectTo(Sensor);
    ASSERT_TRUE(device);
    sim.Write(device, SyncAndCommand("TS,260314093100", "GS4"));
    const int64_t start = sim.NowMilliseconds();
    qsizetype size = -1;
    while (size != sim.received.size()) {
        size = sim.received.size();
        sim.Run(1000, 100);
    }
    const double seconds = static_cast<double>(sim.NowMilliseconds() - start - 1000) / 1000.0;

    const ReadBack read = ReadFrames(sim.received);
    ASSERT_EQ(read.packets.size(), 108001u);
    EXPECT_EQ(BigEndian32(read.packets[0], 19), 108000u);
    for (size_t k = 1; k < read.packets.size(); ++k) {
        ASSERT_EQ(read.packets[k].size(), 37);
        ASSERT_EQ(static_cast<uint8_t>(read.packets[k][0]), (k - 1) % 256) << k;
    }
    // Full notifications, several packets in each, no faster than the link.
    for (size_t n = 0; n + 1 < sim.notifications.size(); ++n) ASSERT_EQ(sim.notifications[n].size(), 244);
    const double airSeconds = static_cast<double>(sim.received.size()) / options.linkBytesPerSecond;
    EXPECT_NEAR(seconds, airSeconds, 1.1);
}
