#include "bluez/BluezTest.h"
#include "data/OleDate.h"
#include "data/PacketDecoderTest.h"
#include "link/Commands.h"
#include "link/Framing.h"
#include "link/LinkOperations.h"
#include "link/LinkState.h"
#include "link/TimeSync.h"

namespace {

const QString SensorAddress = QStringLiteral("C0:00:00:00:00:01");
const QString SensorName = QStringLiteral("Tq580-123456-789");

// A packet as the sensor frames it: start, escaped bytes, end.
QByteArray Frame(const QByteArray& packet) {
    QByteArray frame(1, char(PacketStart));
    for (const char byte : packet) {
        const auto value = static_cast<uint8_t>(byte);
        if (value == PacketStart || value == PacketEscape || value == PacketEnd) {
            frame.append(char(PacketEscape));
            frame.append(char(value ^ 0x20));
        } else {
            frame.append(byte);
        }
    }
    frame.append(char(PacketEnd));
    return frame;
}

// The real-time measurement as the main window wires it, on the real
// backend over the mocked BlueZ: scan, the sensor chosen by name, Connect
// (services and characteristics), SendStart, the connect handler, the
// notifications through the frame decoder into the packet decoder, SendStop.
class RealTimeOverBluez : public BluezTest, public FrameSink {
protected:
    void SetUp() override {
        BluezTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        // A paired sensor at the smallest MTU, another one in range.
        mock->AddSensor(SensorAddress, SensorName, true);
        mock->SetLink(SensorAddress, 23, QStringLiteral("normal"), true,
                      {QStringLiteral("write-without-response"), QStringLiteral("write")});
        mock->AdvertiseEvery(SensorAddress, SensorCompanyId, SensorAdvertisement(0x1400, 0, 0, 0), -58, 100);
        mock->AddSensor(QStringLiteral("C0:00:00:00:00:02"), QStringLiteral("Tq580-654321-000"), true);
        mock->AdvertiseEvery(QStringLiteral("C0:00:00:00:00:02"), SensorCompanyId,
                             SensorAdvertisement(0x1400, 0, 0, 0), -70, 100);

        QObject::connect(central.get(), &BleCentral::EndDiscoverDevices, central.get(),
                [this](const QList<BleDevicePtr>& devices) { link.ScanDeviceList = devices; });
        QObject::connect(central.get(), &BleCentral::Connected, central.get(), [this](const BleDevicePtr& device) {
            if (device != link.ActiveDevice) return;
            link.DeviceLinkReady = true;
            EnableNotify(link, *central, true);
            SendCommand(link, *central, clock, link.PendingCommand, true);
        });
        QObject::connect(central.get(), &BleCentral::CharacteristicRead, central.get(),
                [this](const BleDevicePtr&, const QUuid& characteristic, const QByteArray& value, int status) {
                    if (status == 0 && characteristic == UartNotifyUuid) frames.Feed(value, *this);
                });
    }

    void TearDown() override {
        if (mock) {
            mock->AdvertiseEvery(SensorAddress, SensorCompanyId, {}, 0, 0);
            mock->AdvertiseEvery(QStringLiteral("C0:00:00:00:00:02"), SensorCompanyId, {}, 0, 0);
        }
        BluezTest::TearDown();
    }

    bool PacketsWanted() const override { return measuring; }
    void PacketReceived(const uint8_t* packet, int32_t length, int32_t left) override {
        decoder.CheckPacket(packet, length, left);
    }

    // The window's Connect: the sensor by name in the scan list, its
    // services, the two UART characteristics.
    bool ConnectByName() {
        link.ActiveDevice = nullptr;
        for (const BleDevicePtr& device : link.ScanDeviceList)
            if (device->DeviceName == link.TargetDeviceName) {
                link.ActiveDevice = device;
                break;
            }
        if (!link.ActiveDevice || !central->DiscoverServices(link.ActiveDevice)) return false;
        const BleServicePtr service = FindService(link.ActiveDevice, UartServiceUuid);
        link.NotifyCharacteristic = FindCharacteristic(service, UartNotifyUuid);
        link.WriteCharacteristic = FindCharacteristic(service, UartWriteUuid);
        return link.NotifyCharacteristic && link.WriteCharacteristic;
    }

    LinkState link;
    SupervisionState supervision;
    SampleStore store;
    SettableClock clock{*OleDateFromParts({2026, 12, 9, 14, 30, 5, 0})};
    CountingListener listener;
    bool liveReview = false;
    bool entireView = false;
    PacketDecoder decoder{{store, supervision, link.TargetDeviceName, liveReview, entireView, clock, listener}};
    FrameDecoder frames;
    bool measuring = false;
};

TEST_F(RealTimeOverBluez, PacketsFromTheSensorLandInTheRecord) {
    ASSERT_TRUE(Scan(400));
    link.TargetDeviceName = SensorName;
    ASSERT_TRUE(ConnectByName());

    ResetRecord(store);
    store.RecordRateIndex = 1;
    measuring = true;
    ASSERT_TRUE(SendStart(link, *central, supervision, 1, false));
    ASSERT_TRUE(WaitUntil([&] { return link.DeviceLinkReady && !mock->Writes(SensorAddress).isEmpty(); }));
    EXPECT_TRUE(mock->Notifying(SensorAddress));
    const QList<BluezMock::Write> startWrites = mock->Writes(SensorAddress);
    ASSERT_EQ(startWrites.size(), 1) << "time sync and start command in one write";
    EXPECT_EQ(startWrites.first().value, BuildCommandWrite(QStringLiteral("ST1"), SyncDateTimeString(clock)));

    // Six packets, framed and cut into notifications of ATT MTU 23 (20
    // bytes), so that frames straddle notifications.
    QByteArray stream;
    for (int seq = 0; seq < 6; ++seq) {
        ChannelBlock ch1{0, 0.01f * float(seq), -0.02f, 0.65f};
        ChannelBlock ch2{0, 0.125f, 0.25f, 0.7f};
        stream += Frame(MeasurementPacket(uint8_t(seq), ch1, ch2, 0x7D7B));  // battery bytes need escaping
    }
    for (qsizetype at = 0; at < stream.size(); at += 20) mock->Notify(SensorAddress, stream.mid(at, 20));
    ASSERT_TRUE(WaitUntil([&] { return store.SampleCount == 6; })) << "samples: " << store.SampleCount;
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(store.Samples[i].seq, i);
        EXPECT_FLOAT_EQ(store.Samples[i].ch[0].oxhb, 0.01f * float(i));
        EXPECT_FLOAT_EQ(store.Samples[i].ch[0].dxhb, -0.02f);
        EXPECT_FLOAT_EQ(store.Samples[i].ch[1].sto2, 0.7f);
    }
    EXPECT_FALSE(store.SequenceGap);
    EXPECT_EQ(store.ReceivedDeviceId, SensorName);

    SendStop(link, *central, supervision, clock);
    measuring = false;
    ASSERT_TRUE(WaitUntil([&] { return recorder->Count(CentralEvent::Disconnected) == 1; }));
    const QList<BluezMock::Write> writes = mock->Writes(SensorAddress);
    ASSERT_EQ(writes.size(), 2);
    EXPECT_EQ(writes.last().value, QByteArray("\x02" "ED\x03", 4));
    EXPECT_FALSE(mock->Connected(SensorAddress));
    EXPECT_FALSE(link.DeviceLinkReady);
}

}  // namespace
