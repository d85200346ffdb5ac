#include <gtest/gtest.h>

#include "data/Clock.h"
#include "data/OleDate.h"
#include "data/SampleStore.h"
#include "data/SupervisionState.h"
#include "link/Commands.h"
#include "link/LinkOperations.h"
#include "link/LinkState.h"
#include "support/RecordingCentral.h"

namespace {

// Records connection requests, notification switches and disconnects as well.
class LinkRecordingCentral : public RecordingCentral {
public:
    bool connectFails = false;
    QList<BleDevicePtr> connects;
    struct NotificationSwitch {
        BleDevicePtr device;
        BleCharacteristicPtr characteristic;
        bool enable;
    };
    QList<NotificationSwitch> notificationSwitches;
    QList<BleDevicePtr> disconnects;

    bool Connect(const BleDevicePtr& device, QString* error) override {
        connects.append(device);
        if (connectFails && error) *error = QStringLiteral("no radio");
        return !connectFails;
    }
    void SetCharacteristicNotification(const BleDevicePtr& device, const BleCharacteristicPtr& characteristic,
                                       bool enable) override {
        notificationSwitches.append({device, characteristic, enable});
    }
    void Disconnect(const BleDevicePtr& device) override { disconnects.append(device); }
};

QByteArray Frame(const char* text) { return QByteArray("\x02") + text + "\x03"; }

}  // namespace

TEST(CommandTexts, CarryTheirArguments) {
    EXPECT_EQ(StartCommandText(3, false), "ST3");
    EXPECT_EQ(StartCommandText(3, true), "CK3");
    EXPECT_EQ(StartCommandText(1, false), "ST1");
    EXPECT_EQ(StartCommandText(5, true), "CK5");
    EXPECT_EQ(RemoteStartCommandText(3, 2), "@SS4,2");  // "1.0sec" and "DXHb"
    EXPECT_EQ(RemoteStartCommandText(0, 0), "@SS1,0");
    EXPECT_EQ(RemoteStartCommandText(4, 3), "@SS5,3");
    EXPECT_EQ(RemoteOffCommand, "@SDN");
}

class CommandsTest : public ::testing::Test {
protected:
    LinkRecordingCentral central;
    LinkState link;
    SupervisionState supervision;
    SettableClock clock{*OleDateFromParts({2026, 12, 9, 1, 15, 1, 700})};

    void SetUp() override {
        link.ActiveDevice = std::make_shared<BleDevice>();
        link.WriteCharacteristic = std::make_shared<BleCharacteristic>(BleCharacteristic{UartWriteUuid});
        link.NotifyCharacteristic = std::make_shared<BleCharacteristic>(BleCharacteristic{UartNotifyUuid});
        supervision.SilenceTicks = 17;
    }
};

TEST_F(CommandsTest, StartAsksForTheLinkAndLeavesItsCommandPending) {
    EXPECT_TRUE(SendStart(link, central, supervision, 3, false));
    EXPECT_EQ(link.PendingCommand, "ST3");
    EXPECT_EQ(supervision.SilenceTicks, 0);
    ASSERT_EQ(central.connects.size(), 1);
    EXPECT_EQ(central.connects[0], link.ActiveDevice);
    EXPECT_TRUE(central.writes.isEmpty()) << "sent by the connect handler, not here";

    EXPECT_TRUE(SendStart(link, central, supervision, 3, true));
    EXPECT_EQ(link.PendingCommand, "CK3");

    EXPECT_TRUE(SendGetLogStart(link, central, supervision));
    EXPECT_EQ(link.PendingCommand, "GS4");
}

TEST_F(CommandsTest, FailedConnectionRequestChangesNothing) {
    central.connectFails = true;
    link.PendingCommand = QStringLiteral("@SDN");
    EXPECT_FALSE(SendStart(link, central, supervision, 2, false));
    EXPECT_FALSE(SendGetLogStart(link, central, supervision));
    EXPECT_EQ(link.PendingCommand, "@SDN");
    EXPECT_EQ(supervision.SilenceTicks, 17);

    central.connectFails = false;
    link.ActiveDevice.reset();
    EXPECT_FALSE(SendStart(link, central, supervision, 2, false));
    EXPECT_EQ(central.connects.size(), 2);
}

TEST_F(CommandsTest, StopSendsEndSwitchesNotificationsOffAndDisconnects) {
    link.DeviceLinkReady = true;
    SendStop(link, central, supervision, clock);
    ASSERT_EQ(central.writes.size(), 1);
    EXPECT_EQ(central.writes[0].value, Frame("ED"));
    ASSERT_EQ(central.notificationSwitches.size(), 1);
    EXPECT_EQ(central.notificationSwitches[0].characteristic, link.NotifyCharacteristic);
    EXPECT_FALSE(central.notificationSwitches[0].enable);
    ASSERT_EQ(central.disconnects.size(), 1);
    EXPECT_EQ(central.disconnects[0], link.ActiveDevice);
    EXPECT_FALSE(link.DeviceLinkReady);

    SendStop(link, central, supervision, clock);  // no link any more: nothing
    EXPECT_EQ(central.writes.size(), 1);
    EXPECT_EQ(central.disconnects.size(), 1);
}

TEST_F(CommandsTest, StopAfterTheLinkWasLostOnlyDisconnects) {
    link.DeviceLinkReady = true;
    supervision.LinkLost = true;
    SendStop(link, central, supervision, clock);
    EXPECT_TRUE(central.writes.isEmpty());
    EXPECT_TRUE(central.notificationSwitches.isEmpty());
    EXPECT_EQ(central.disconnects.size(), 1);
    EXPECT_FALSE(link.DeviceLinkReady);
}

TEST_F(CommandsTest, DirectCommandsGoOnlyOverAReadyLink) {
    SendGetLogCancel(link, central, clock);
    SendLogClear(link, central, clock);
    EXPECT_TRUE(central.writes.isEmpty());

    link.DeviceLinkReady = true;
    SendGetLogCancel(link, central, clock);
    SendLogClear(link, central, clock);
    ASSERT_EQ(central.writes.size(), 2);
    EXPECT_EQ(central.writes[0].value, Frame("GC"));
    EXPECT_EQ(central.writes[1].value, Frame("@CLR"));
}

TEST_F(CommandsTest, DisconnectAndNotificationSwitchNeedAReadyLink) {
    EnableNotify(link, central, true);
    Disconnect(link, central);
    EXPECT_TRUE(central.notificationSwitches.isEmpty());
    EXPECT_TRUE(central.disconnects.isEmpty());

    link.DeviceLinkReady = true;
    EnableNotify(link, central, true);
    Disconnect(link, central);
    ASSERT_EQ(central.notificationSwitches.size(), 2);
    EXPECT_TRUE(central.notificationSwitches[0].enable);
    EXPECT_FALSE(central.notificationSwitches[1].enable);
    EXPECT_EQ(central.disconnects.size(), 1);
    EXPECT_FALSE(link.DeviceLinkReady);
}

class ResetButtonTest : public CommandsTest {
protected:
    SampleStore store;
    int32_t cursorChannel = 0;
    int32_t cursorIndex = 1;

    void SetUp() override {
        CommandsTest::SetUp();
        MEAS_DATA_TYPE sample{};
        for (auto& channel : sample.ch) channel = {0, 5, 5, 10, 0.6f, 1000, 1000, {}};
        AppendSample(store, sample);
        AppendSample(store, sample);
        store.InitPointsEditable = true;
    }
};

TEST_F(ResetButtonTest, WhileLinkedTheSensorReZeroesAndTheRecordStays) {
    link.DeviceLinkReady = true;
    EXPECT_EQ(DecideValueInitialization(link, central, clock, store, cursorChannel, cursorIndex),
              ResetButtonOutcome::SentToSensor);
    ASSERT_EQ(central.writes.size(), 1);
    EXPECT_EQ(central.writes[0].value, Frame("RS"));
    EXPECT_EQ(store.Samples[1].ch[0].status, 0);
    EXPECT_EQ(store.Samples[1].ch[0].oxhb, 5);
    EXPECT_EQ(cursorIndex, 1);
}

TEST_F(ResetButtonTest, OfflineItInsertsAPointWhereTheRecordAllows) {
    EXPECT_EQ(DecideValueInitialization(link, central, clock, store, cursorChannel, cursorIndex),
              ResetButtonOutcome::PointInserted);
    EXPECT_EQ(store.Samples[1].ch[0].status, StatusInitPoint);
    EXPECT_EQ(store.Samples[1].ch[0].oxhb, 0);
    EXPECT_EQ(cursorIndex, -1);
    EXPECT_TRUE(central.writes.isEmpty());

    cursorChannel = 0;
    cursorIndex = 1;  // already a point
    EXPECT_EQ(DecideValueInitialization(link, central, clock, store, cursorChannel, cursorIndex),
              ResetButtonOutcome::PointRefused);

    store.InitPointsEditable = false;
    cursorIndex = 0;
    EXPECT_EQ(DecideValueInitialization(link, central, clock, store, cursorChannel, cursorIndex),
              ResetButtonOutcome::Nothing);
    EXPECT_EQ(store.Samples[0].ch[0].status, 0);
}
