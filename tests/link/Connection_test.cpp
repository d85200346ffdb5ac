#include <gtest/gtest.h>

#include "data/Clock.h"
#include "link/Connection.h"
#include "link/LinkState.h"
#include "support/RecordingCentral.h"

namespace {

BleDevicePtr Device(const QString& name, bool paired, bool withUart = true) {
    auto device = std::make_shared<BleDevice>();
    device->DeviceName = name;
    device->Paired = paired;
    if (withUart) {
        auto service = std::make_shared<BleService>();
        service->UUID = UartServiceUuid;
        service->Characteristics << std::make_shared<BleCharacteristic>(BleCharacteristic{UartWriteUuid})
                                 << std::make_shared<BleCharacteristic>(BleCharacteristic{UartNotifyUuid});
        device->Services << service;
    }
    return device;
}

class NotifyingCentral : public RecordingCentral {
public:
    QList<bool> notifications;
    void SetCharacteristicNotification(const BleDevicePtr&, const BleCharacteristicPtr&, bool on) override {
        notifications << on;
    }
};

}  // namespace

TEST(Connection, DialogListsOnlyPairedSensorsOfBothModelsInListOrder) {
    const QList<BleDevicePtr> devices{Device("Tq580-000001-001", true),  Device("Tq570-000002-001", true),
                                      Device("Tq580-000003-001", false), Device("tq580-000004-001", true),
                                      Device("Heart-Rate", true),        Device("Tq58-1", true)};
    EXPECT_EQ(ConnectableDeviceNames(devices), QStringList({"Tq580-000001-001", "Tq570-000002-001"}));
}

TEST(Connection, ConnectFindsTheTargetAndBothCharacteristics) {
    RecordingCentral central;
    LinkState link;
    EXPECT_FALSE(Connect(link, central));  // empty list

    const auto other = Device("Tq580-000001-001", true);
    const auto target = Device("Tq580-000002-001", true);
    link.ScanDeviceList = {other, target};
    link.TargetDeviceName = "Tq580-000002-001";
    ASSERT_TRUE(Connect(link, central));
    EXPECT_EQ(link.ActiveDevice, target);
    EXPECT_EQ(link.NotifyCharacteristic->UUID, UartNotifyUuid);
    EXPECT_EQ(link.WriteCharacteristic->UUID, UartWriteUuid);

    link.TargetDeviceName = "tq580-000002-001";  // names compare exactly
    EXPECT_FALSE(Connect(link, central));

    const auto bare = Device("Tq580-000003-001", true, false);
    link.ScanDeviceList << bare;
    link.TargetDeviceName = bare->DeviceName;
    EXPECT_FALSE(Connect(link, central));
    EXPECT_EQ(link.ActiveDevice, bare);  // chosen even though its service is missing
}

TEST(Connection, ConnectEventOfTheActiveDeviceSendsThePendingCommandWithTimeSync) {
    NotifyingCentral central;
    SettableClock clock(46365.5);
    LinkState link;
    link.ScanDeviceList = {Device("Tq580-000001-001", true)};
    link.TargetDeviceName = "Tq580-000001-001";
    ASSERT_TRUE(Connect(link, central));
    link.PendingCommand = "ST1";

    CompleteConnection(link, central, clock, Device("Tq580-000001-001", true));  // another object
    EXPECT_FALSE(link.DeviceLinkReady);
    EXPECT_TRUE(central.writes.isEmpty());

    CompleteConnection(link, central, clock, link.ActiveDevice);
    EXPECT_TRUE(link.DeviceLinkReady);
    EXPECT_EQ(central.notifications, QList<bool>{true});
    ASSERT_EQ(central.writes.size(), 1);
    EXPECT_EQ(central.writes[0].value, QByteArray("\x02TS,261209120000\x03\x02ST1\x03"));
}
