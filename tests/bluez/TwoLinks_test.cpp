// Two sensors linked at once through one central, one controller each: what
// happens on one link never reaches or holds up the other.
#include "bluez/BluezTest.h"

namespace {

const QString FirstAddress = QStringLiteral("C0:00:00:00:00:01");
const QString SecondAddress = QStringLiteral("C0:00:00:00:00:02");
const QStringList WriteAndCommand = {QStringLiteral("write-without-response"), QStringLiteral("write")};
const QByteArray Stop("\x02" "ED\x03", 4);

class TwoLinks : public BluezTest {
protected:
    // Both sensors heard in one scan, their services known; no link yet.
    void SetUp() override {
        BluezTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        mock->AddSensor(FirstAddress, QStringLiteral("Tq580-000001-001"), true);
        mock->AddSensor(SecondAddress, QStringLiteral("Tq580-000002-001"), true);
        for (const QString& address : {FirstAddress, SecondAddress})
            mock->AdvertiseEvery(address, SensorCompanyId, SensorAdvertisement(0x0400, 0, 0, 0), -60, 40);
        ASSERT_TRUE(Scan(200));
        for (const QString& address : {FirstAddress, SecondAddress})
            mock->AdvertiseEvery(address, SensorCompanyId, {}, 0, 0);
        first = Found(FirstAddress);
        second = Found(SecondAddress);
        ASSERT_TRUE(first && second) << "both sensors heard";
        ASSERT_TRUE(central->DiscoverServices(first) && central->DiscoverServices(second));
    }

    bool Connect(const BleDevicePtr& device) {
        QString error;
        const bool asked = recorder->Call([&] { return central->Connect(device, &error); });
        EXPECT_TRUE(asked) << error.toStdString();
        return asked;
    }
    bool ConnectBoth() {
        if (!Connect(first) || !Connect(second)) return false;
        return WaitUntil([&] { return Count(CentralEvent::Connected, first) == 1 &&
                                      Count(CentralEvent::Connected, second) == 1; });
    }
    bool NotificationsOn(const BleDevicePtr& device, const QString& address) {
        recorder->Call([&] { central->SetCharacteristicNotification(device, NotifyOf(device), true); });
        return WaitUntil([&] { return mock->Notifying(address); });
    }
    void Write(const BleDevicePtr& device, const QByteArray& value) {
        recorder->Call([&] { central->WriteCharacteristic(device, WriteOf(device), value); });
    }

    int Count(CentralEvent::Kind kind, const BleDevicePtr& device) const {
        int count = 0;
        for (const CentralEvent& event : recorder->Of(kind)) count += event.device == device ? 1 : 0;
        return count;
    }
    QList<QByteArray> ValuesOf(const BleDevicePtr& device) const {
        QList<QByteArray> values;
        for (const CentralEvent& event : recorder->Of(CentralEvent::Value))
            if (event.device == device) values << event.bytes;
        return values;
    }
    QList<QByteArray> WrittenTo(const QString& address) {
        QList<QByteArray> values;
        for (const BluezMock::Write& write : mock->Writes(address)) values << write.value;
        return values;
    }

    static BleCharacteristicPtr NotifyOf(const BleDevicePtr& device) {
        return FindCharacteristic(FindService(device, UartServiceUuid), UartNotifyUuid);
    }
    static BleCharacteristicPtr WriteOf(const BleDevicePtr& device) {
        return FindCharacteristic(FindService(device, UartServiceUuid), UartWriteUuid);
    }

    BleDevicePtr first;
    BleDevicePtr second;
};

// Notifications of the two, interleaved and partly identical, each come as
// the value of its own device in its own order; writes reach only their own
// sensor; the end of both in one go gives each its stop and one Disconnected.
TEST_F(TwoLinks, NotificationsAndWritesStayWithTheirLink) {
    ASSERT_TRUE(ConnectBoth());
    ASSERT_TRUE(NotificationsOn(first, FirstAddress));
    ASSERT_TRUE(NotificationsOn(second, SecondAddress));

    QList<QByteArray> toFirst, toSecond;
    for (char i = 0; i < 5; ++i) {
        toFirst << Hex("7b01") + QByteArray(1, i);
        toSecond << (i == 2 ? toFirst.last() : Hex("7b02") + QByteArray(1, i));  // the same bytes from both
        mock->Notify(FirstAddress, toFirst.last());
        mock->Notify(SecondAddress, toSecond.last());
    }
    ASSERT_TRUE(WaitUntil([&] { return recorder->Count(CentralEvent::Value) == 10; }));
    EXPECT_EQ(ValuesOf(first), toFirst);
    EXPECT_EQ(ValuesOf(second), toSecond);

    const QByteArray startFirst("\x02" "ST1\x03", 5), startSecond("\x02" "ST3\x03", 5);
    recorder->Call([&] {
        central->WriteCharacteristic(first, WriteOf(first), startFirst);
        central->WriteCharacteristic(second, WriteOf(second), startSecond);
        for (const BleDevicePtr& device : {first, second}) {
            central->WriteCharacteristic(device, WriteOf(device), Stop);
            central->SetCharacteristicNotification(device, NotifyOf(device), false);
            central->Disconnect(device);
        }
    });
    ASSERT_TRUE(WaitUntil([&] { return recorder->Count(CentralEvent::Disconnected) == 2; }));
    EXPECT_EQ(WrittenTo(FirstAddress), QList<QByteArray>({startFirst, Stop}));
    EXPECT_EQ(WrittenTo(SecondAddress), QList<QByteArray>({startSecond, Stop}));
    EXPECT_EQ(Count(CentralEvent::Disconnected, first), 1);
    EXPECT_EQ(Count(CentralEvent::Disconnected, second), 1);
    EXPECT_FALSE(mock->Connected(FirstAddress));
    EXPECT_FALSE(mock->Connected(SecondAddress));
    EXPECT_FALSE(recorder->AnyInsideCall());
}

// The first sensor drops its link: the second streams and takes writes on,
// also through the scan that finds the first again; a refused reconnect of
// the first is the first's alone, the next one works; the program closing
// then leaves BlueZ with neither link.
TEST_F(TwoLinks, OneLinkDropsTheOtherGoesOn) {
    ASSERT_TRUE(ConnectBoth());
    ASSERT_TRUE(NotificationsOn(first, FirstAddress));
    ASSERT_TRUE(NotificationsOn(second, SecondAddress));

    mock->DropLink(FirstAddress);
    ASSERT_TRUE(WaitUntil([&] { return Count(CentralEvent::Disconnected, first) == 1; }));
    mock->AdvertiseEvery(FirstAddress, SensorCompanyId, SensorAdvertisement(0x0400, 0, 0, 0), -60, 40);
    QString error;
    ASSERT_TRUE(central->DiscoverDevices(300, &error)) << error.toStdString();
    mock->Notify(SecondAddress, Hex("0241"));
    ASSERT_TRUE(WaitUntil([&] { return recorder->Count(CentralEvent::End) == 2 && ValuesOf(second).size() == 1; }));
    mock->AdvertiseEvery(FirstAddress, SensorCompanyId, {}, 0, 0);
    EXPECT_EQ(Found(FirstAddress), first) << "found again under the same handle";
    Write(first, Stop);
    Write(second, Hex("0242"));
    ASSERT_TRUE(WaitUntil([&] { return WrittenTo(SecondAddress).size() == 1; }));
    EXPECT_EQ(WrittenTo(SecondAddress).first(), Hex("0242"));
    EXPECT_TRUE(WrittenTo(FirstAddress).isEmpty()) << "a write to the lost link goes nowhere";

    mock->SetLink(FirstAddress, 247, QStringLiteral("refuse"), true, WriteAndCommand);
    ASSERT_TRUE(Connect(first));
    ASSERT_TRUE(WaitUntil([&] { return Count(CentralEvent::Disconnected, first) == 2; }));
    mock->SetLink(FirstAddress, 247, QStringLiteral("normal"), true, WriteAndCommand);
    ASSERT_TRUE(Connect(first));
    ASSERT_TRUE(WaitUntil([&] { return Count(CentralEvent::Connected, first) == 2; }));
    ASSERT_TRUE(NotificationsOn(first, FirstAddress));
    mock->Notify(FirstAddress, Hex("0143"));
    mock->Notify(SecondAddress, Hex("0244"));
    ASSERT_TRUE(WaitUntil([&] { return recorder->Count(CentralEvent::Value) == 3; }));
    EXPECT_EQ(ValuesOf(first), QList<QByteArray>({Hex("0143")}));
    EXPECT_EQ(ValuesOf(second), QList<QByteArray>({Hex("0241"), Hex("0244")}));
    EXPECT_EQ(Count(CentralEvent::Connected, second), 1);
    EXPECT_EQ(Count(CentralEvent::Disconnected, second), 0);
    EXPECT_FALSE(recorder->AnyInsideCall());

    recorder.reset();
    central.reset();
    EXPECT_TRUE(WaitUntil([&] { return !mock->Connected(FirstAddress) && !mock->Connected(SecondAddress); }));
}

// While BlueZ holds the first's close open, a connect to the first waits for
// it, and the second's link comes up, streams and takes writes meanwhile.
TEST_F(TwoLinks, AClosingLinkHoldsUpOnlyItsOwnReconnect) {
    ASSERT_TRUE(Connect(first));
    ASSERT_TRUE(WaitUntil([&] { return Count(CentralEvent::Connected, first) == 1; }));
    mock->HoldDisconnect(FirstAddress, true);
    recorder->Call([&] {
        central->Disconnect(first);
        QString error;
        EXPECT_TRUE(central->Connect(first, &error)) << error.toStdString();
        EXPECT_TRUE(central->Connect(second, &error)) << error.toStdString();
    });
    ASSERT_TRUE(WaitUntil([&] { return Count(CentralEvent::Connected, second) == 1; }));
    ASSERT_TRUE(NotificationsOn(second, SecondAddress));
    Write(second, Hex("0242"));
    mock->Notify(SecondAddress, Hex("0241"));
    ASSERT_TRUE(WaitUntil([&] { return WrittenTo(SecondAddress).size() == 1 && ValuesOf(second).size() == 1; }));
    EXPECT_TRUE(mock->Connected(FirstAddress)) << "the first's close is still held open";
    EXPECT_EQ(Count(CentralEvent::Connected, first), 1);

    mock->HoldDisconnect(FirstAddress, false);
    ASSERT_TRUE(WaitUntil([&] { return Count(CentralEvent::Connected, first) == 2; }));
    ASSERT_TRUE(NotificationsOn(first, FirstAddress));
    mock->Notify(FirstAddress, Hex("0143"));
    ASSERT_TRUE(WaitUntil([&] { return ValuesOf(first).size() == 1; }));
    EXPECT_EQ(recorder->Count(CentralEvent::Disconnected), 0)
        << "the end of the first's old link would pass for its new one failing";
    EXPECT_FALSE(recorder->AnyInsideCall());
}

}  // namespace
