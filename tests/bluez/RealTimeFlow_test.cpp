#include <QDir>

#include "bluez/WindowOverBluez.h"
#include "data/PacketDecoderTest.h"
#include "link/Framing.h"
#include "link/TimeSync.h"

namespace {

TEST_F(WindowOverBluez, MeasurementFromStartToEnd) {
    QStringList offered;
    prompts.connectionAnswers.push_back([&](const ConnectionOffer& offer) -> std::optional<ConnectionChoice> {
        offered = offer.deviceNames;
        return ConnectionChoice{SensorName, 0, false};
    });
    window->ConnectButton->click();
    // The scan of 5000 ms ends, the dialog is answered, the link comes up.
    ASSERT_TRUE(WaitUntil([&] { return window->Session.Link.DeviceLinkReady; }, 12000)) << prompts.shown.join('|').toStdString();
    EXPECT_TRUE(offered.contains(SensorName));
    EXPECT_EQ(window->Session.ConnectButtonTag(), 1);
    ASSERT_TRUE(WaitUntil([&] { return !mock->Writes(SensorAddress).isEmpty(); }));
    EXPECT_TRUE(mock->Notifying(SensorAddress));
    const QList<BluezMock::Write> startWrites = mock->Writes(SensorAddress);
    ASSERT_EQ(startWrites.size(), 1) << "time sync and start command in one write";
    EXPECT_EQ(startWrites.first().value, BuildCommandWrite(QStringLiteral("ST1"), SyncDateTimeString(clock)));

    // Six packets, framed and cut into notifications of ATT MTU 23.
    QByteArray stream;
    for (int seq = 0; seq < 6; ++seq) {
        ChannelBlock ch1{0, 0.01f * float(seq), -0.02f, 0.65f};
        ChannelBlock ch2{0, 0.125f, 0.25f, 0.7f};
        stream += Frame(MeasurementPacket(uint8_t(seq), ch1, ch2, 0x7D7B));  // battery bytes need escaping
    }
    for (const QByteArray& piece : NotificationsOf(stream)) mock->Notify(SensorAddress, piece);
    const SampleStore& store = window->Session.Store;
    ASSERT_TRUE(WaitUntil([&] { return store.SampleCount == 6; })) << "samples: " << store.SampleCount;
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(store.Samples[i].seq, i);
        EXPECT_FLOAT_EQ(store.Samples[i].ch[0].oxhb, 0.01f * float(i));
        EXPECT_FLOAT_EQ(store.Samples[i].ch[1].sto2, 0.7f);
    }
    EXPECT_EQ(store.ReceivedDeviceId, SensorName);

    prompts.fileNames.push_back(QDir(folder.path()).filePath(QStringLiteral("Data/bluez.csv")));
    window->ConnectButton->click();
    window->Session.SettleDiskWrites();
    EXPECT_TRUE(prompts.shown.contains(QStringLiteral("NOTICE: bluez.csv Created.")));
    ASSERT_TRUE(WaitUntil([&] { return !mock->Connected(SensorAddress); }));
    const QList<BluezMock::Write> writes = mock->Writes(SensorAddress);
    ASSERT_EQ(writes.size(), 2);
    EXPECT_EQ(writes.last().value, QByteArray("\x02" "ED\x03", 4));
    EXPECT_FALSE(window->Session.Link.DeviceLinkReady);
    EXPECT_EQ(window->Session.ConnectButtonTag(), 0);
}

// The sensor ends the link mid-measurement: the window seeks it with the
// next scan, connects again, starts it at the same rate, and the samples of
// the new link follow the old ones after the rows the gap kept from it.
TEST_F(WindowOverBluez, ADroppedLinkIsFoundAndConnectedAgain) {
    prompts.connectionAnswers.push_back(
        [&](const ConnectionOffer&) -> std::optional<ConnectionChoice> { return ConnectionChoice{SensorName, 0, false}; });
    window->ConnectButton->click();
    ASSERT_TRUE(WaitUntil([&] { return window->Session.Link.DeviceLinkReady; }, 12000)) << prompts.shown.join('|').toStdString();
    ASSERT_TRUE(WaitUntil([&] { return mock->Writes(SensorAddress).size() == 1; }));
    const auto notifyPackets = [&](int count) {
        QByteArray stream;
        for (int seq = 0; seq < count; ++seq)
            stream += Frame(MeasurementPacket(uint8_t(seq), ChannelBlock{0, 0.01f, -0.02f, 0.65f},
                                              ChannelBlock{0, 0.125f, 0.25f, 0.7f}, 0x0400));
        for (const QByteArray& piece : NotificationsOf(stream)) mock->Notify(SensorAddress, piece);
    };
    const SampleStore& store = window->Session.Store;
    notifyPackets(4);
    ASSERT_TRUE(WaitUntil([&] { return store.SampleCount == 4; })) << "samples: " << store.SampleCount;

    mock->DropLink(SensorAddress);
    ASSERT_TRUE(WaitUntil([&] { return window->Session.Mode() == SessionMode::ReconnectScan; }));
    EXPECT_TRUE(window->Session.Supervision.LinkLost);
    clock.AdvanceMilliseconds(2000);  // twenty rows' time passes without the sensor
    ASSERT_TRUE(WaitUntil([&] { return window->Session.Mode() == SessionMode::Measuring; }, 15000))
        << SessionModeName(window->Session.Mode());
    ASSERT_TRUE(WaitUntil([&] { return mock->Writes(SensorAddress).size() == 2; }));
    EXPECT_EQ(mock->Writes(SensorAddress).last().value,
              BuildCommandWrite(QStringLiteral("ST1"), SyncDateTimeString(clock)));

    notifyPackets(3);  // the sensor numbers its packets from 0 again
    ASSERT_TRUE(WaitUntil([&] { return store.SampleCount >= 7 && !(store.Samples[store.SampleCount - 1].ch[0].status & StatusNoData); }));
    EXPECT_FALSE(window->Session.Supervision.LinkLost);
    int32_t noData = 0;
    for (int32_t i = 0; i < store.SampleCount; ++i) noData += (store.Samples[i].ch[0].status & StatusNoData) ? 1 : 0;
    EXPECT_EQ(store.SampleCount - noData, 7);
    EXPECT_GE(noData, 15);
    for (int32_t i = 0; i < 4; ++i) EXPECT_FALSE(store.Samples[i].ch[0].status & StatusNoData) << i;

    prompts.fileNames.push_back(QDir(folder.path()).filePath(QStringLiteral("Data/reconnected.csv")));
    window->ConnectButton->click();
    window->Session.SettleDiskWrites();
    EXPECT_TRUE(prompts.shown.contains(QStringLiteral("NOTICE: reconnected.csv Created.")));
}

}  // namespace
