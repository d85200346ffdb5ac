#include <QElapsedTimer>

#include "bluez/BluezTest.h"
#include "link/Commands.h"
#include "link/Framing.h"

namespace {

const QString SensorAddress = QStringLiteral("C0:00:00:00:00:01");
const QStringList WriteAndCommand = {QStringLiteral("write-without-response"), QStringLiteral("write")};

class Link : public BluezTest {
protected:
    void SetUp() override {
        BluezTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        mock->AddSensor(SensorAddress, QStringLiteral("Tq580-000001-001"), true);
    }

    BleCharacteristicPtr Notify(const BleDevicePtr& device) {
        return FindCharacteristic(FindService(device, UartServiceUuid), UartNotifyUuid);
    }
    BleCharacteristicPtr Write(const BleDevicePtr& device) {
        return FindCharacteristic(FindService(device, UartServiceUuid), UartWriteUuid);
    }
    bool NotificationsOn(const BleDevicePtr& device) {
        recorder->Call([&] { central->SetCharacteristicNotification(device, Notify(device), true); });
        return WaitUntil([&] { return mock->Notifying(SensorAddress); });
    }
};

TEST_F(Link, ConnectedCarriesTheScannedHandleAndComesAfterTheCall) {
    const BleDevicePtr device = ConnectTo(SensorAddress);
    ASSERT_TRUE(device);
    const CentralEvent connected = recorder->Of(CentralEvent::Connected).first();
    EXPECT_EQ(connected.device, device) << "the program compares devices by identity";
    EXPECT_FALSE(connected.insideCall);
    EXPECT_TRUE(mock->Connected(SensorAddress));
}

// A device that BlueZ does not know (never scanned, or forgotten since) is
// refused inside Connect, and nothing follows.
TEST_F(Link, ConnectToAnUnknownDeviceFailsAtOnce) {
    QString error;
    const auto stranger = std::make_shared<BleDevice>();
    stranger->Address = QStringLiteral("C0:00:00:00:00:09");
    EXPECT_FALSE(central->DiscoverServices(stranger));
    EXPECT_FALSE(central->Connect(stranger, &error));
    EXPECT_FALSE(error.isEmpty());

    mock->AdvertiseEvery(SensorAddress, SensorCompanyId, Hex("d892"), -60, 30);
    ASSERT_TRUE(Scan(200));
    mock->AdvertiseEvery(SensorAddress, SensorCompanyId, {}, 0, 0);
    const BleDevicePtr forgotten = Found(SensorAddress);
    ASSERT_TRUE(forgotten);
    mock->RemoveSensor(SensorAddress);
    Pump(50);
    error.clear();
    EXPECT_FALSE(recorder->Call([&] { return central->Connect(forgotten, &error); }));
    EXPECT_FALSE(error.isEmpty());
    Pump(300);
    EXPECT_EQ(recorder->Count(CentralEvent::Connected) + recorder->Count(CentralEvent::Disconnected), 0);
}

// However a connection fails to come up, the program hears Disconnected once
// and never Connected, and BlueZ is left without a link.
struct FailingConnect {
    const char* name;
    const char* mode;
    bool uartService;
    bool timesOut;
};

void PrintTo(const FailingConnect& failure, std::ostream* out) { *out << failure.name; }

class ConnectFailure : public Link, public ::testing::WithParamInterface<FailingConnect> {};

TEST_P(ConnectFailure, EndsWithDisconnectedOnly) {
    const FailingConnect& failure = GetParam();
    mock->SetLink(SensorAddress, 247, failure.mode, failure.uartService, WriteAndCommand);
    constexpr int timeout = 400;
    central->SetConnectTimeout(timeout);
    mock->AdvertiseEvery(SensorAddress, SensorCompanyId, Hex("d892"), -60, 30);
    ASSERT_TRUE(Scan(200));
    mock->AdvertiseEvery(SensorAddress, SensorCompanyId, {}, 0, 0);
    const BleDevicePtr device = Found(SensorAddress);
    ASSERT_TRUE(device);
    ASSERT_TRUE(central->DiscoverServices(device));

    QElapsedTimer clock;
    clock.start();
    QString error;
    ASSERT_TRUE(recorder->Call([&] { return central->Connect(device, &error); })) << error.toStdString();
    ASSERT_TRUE(WaitUntil([&] { return recorder->Count(CentralEvent::Disconnected) == 1; }, timeout + 3000));
    if (failure.timesOut) {
        EXPECT_GE(clock.elapsed(), timeout);
    }
    Pump(200);
    EXPECT_EQ(recorder->Count(CentralEvent::Connected), 0);
    EXPECT_EQ(recorder->Count(CentralEvent::Disconnected), 1);
    EXPECT_EQ(recorder->Of(CentralEvent::Disconnected).first().device, device);
    EXPECT_FALSE(recorder->AnyInsideCall());
    EXPECT_TRUE(WaitUntil([&] { return !mock->Connected(SensorAddress); }));
}

INSTANTIATE_TEST_SUITE_P(QtBleCentral, ConnectFailure,
                         ::testing::Values(FailingConnect{"NeverCompletes", "hang", true, true},
                                           FailingConnect{"Refused", "refuse", true, false},
                                           FailingConnect{"WithoutUartService", "normal", false, false}),
                         [](const ::testing::TestParamInfo<FailingConnect>& info) {
                             return std::string(info.param.name);
                         });

// Every notification is one value event, identical payloads included.
TEST_F(Link, NotificationsArriveInOrderWithTheirStatus) {
    const BleDevicePtr device = ConnectTo(SensorAddress);
    ASSERT_TRUE(device);
    ASSERT_TRUE(NotificationsOn(device));
    const QList<QByteArray> sent = {Hex("7b0102"), Hex("7b0102"), Hex("7b0102"), Hex("037d")};
    for (const QByteArray& value : sent) mock->Notify(SensorAddress, value);
    ASSERT_TRUE(WaitUntil([&] { return recorder->Count(CentralEvent::Value) == sent.size(); }));

    QList<QByteArray> received;
    for (const CentralEvent& event : recorder->Of(CentralEvent::Value)) {
        received << event.bytes;
        EXPECT_EQ(event.device, device);
        EXPECT_EQ(event.characteristic, UartNotifyUuid);
        EXPECT_EQ(event.gattStatus, 0);
    }
    EXPECT_EQ(received, sent);

    recorder->Call([&] { central->SetCharacteristicNotification(device, Notify(device), false); });
    EXPECT_TRUE(WaitUntil([&] { return !mock->Notifying(SensorAddress); }));
    EXPECT_FALSE(recorder->AnyInsideCall());
}

// A command write of 25 bytes must arrive whole at any ATT MTU: as one write
// request (BlueZ makes it a long write when needed), or, on a characteristic
// without write requests, in pieces that fit the smallest MTU.
struct WriteCase {
    const char* name;
    int attMtu;
    QStringList flags;
    QStringList expected;  // "<length> <type>" of each write the sensor sees
};

void PrintTo(const WriteCase& writeCase, std::ostream* out) { *out << writeCase.name; }

class CommandWrite : public Link, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(CommandWrite, ArrivesWholeAndInOrderBeforeTheDisconnect) {
    const WriteCase& writeCase = GetParam();
    mock->SetLink(SensorAddress, writeCase.attMtu, QStringLiteral("normal"), true, writeCase.flags);
    const BleDevicePtr device = ConnectTo(SensorAddress);
    ASSERT_TRUE(device);
    // As the connect handler does: notifications on, then the command, with
    // no wait in between; a second command right behind it.
    // The longest write the program makes: the remote start behind the time sync.
    const QByteArray command = BuildCommandWrite(RemoteStartCommandText(0, 0), QStringLiteral("TS,261209143005"));
    ASSERT_EQ(command.size(), 25);
    // Then the stop and the disconnect, as SendStop does: what was written
    // before the disconnect must still go out.
    recorder->Call([&] {
        central->SetCharacteristicNotification(device, Notify(device), true);
        central->WriteCharacteristic(device, Write(device), command);
        central->WriteCharacteristic(device, Write(device), QByteArray("\x02" "ED\x03", 4));
        central->SetCharacteristicNotification(device, Notify(device), false);
        central->Disconnect(device);
    });
    ASSERT_TRUE(WaitUntil([&] { return recorder->Count(CentralEvent::Disconnected) == 1; }));
    EXPECT_FALSE(mock->Connected(SensorAddress));
    QStringList seen;
    QByteArray joined;
    for (const BluezMock::Write& write : mock->Writes(SensorAddress)) {
        seen << QString::number(write.value.size()) + ' ' + write.type;
        joined += write.value;
    }
    EXPECT_EQ(seen, writeCase.expected);
    EXPECT_EQ(joined, command + QByteArray("\x02" "ED\x03", 4));
    EXPECT_FALSE(recorder->AnyInsideCall());
}

INSTANTIATE_TEST_SUITE_P(
    QtBleCentral, CommandWrite,
    ::testing::Values(
        WriteCase{"Mtu23WithResponse", 23, WriteAndCommand, {"25 request", "4 request"}},
        WriteCase{"Mtu247WithResponse", 247, WriteAndCommand, {"25 request", "4 request"}},
        WriteCase{"Mtu23WithoutResponseOnly", 23, {"write-without-response"}, {"20 command", "5 command", "4 command"}},
        WriteCase{"Mtu247WithoutResponseOnly", 247, {"write-without-response"}, {"20 command", "5 command", "4 command"}}),
    [](const ::testing::TestParamInfo<WriteCase>& info) { return std::string(info.param.name); });

// The sensor dropping the link is one Disconnected; writes to the lost link
// go nowhere; the next connect works as the first.
TEST_F(Link, RemoteDropThenReconnect) {
    const BleDevicePtr device = ConnectTo(SensorAddress);
    ASSERT_TRUE(device);
    ASSERT_TRUE(NotificationsOn(device));
    mock->DropLink(SensorAddress);
    ASSERT_TRUE(WaitUntil([&] { return recorder->Count(CentralEvent::Disconnected) == 1; }));
    EXPECT_EQ(recorder->Of(CentralEvent::Disconnected).first().device, device);

    recorder->Call([&] { central->WriteCharacteristic(device, Write(device), QByteArray("\x02" "ED\x03", 4)); });
    Pump(100);
    EXPECT_TRUE(mock->Writes(SensorAddress).isEmpty());

    QString error;
    ASSERT_TRUE(recorder->Call([&] { return central->Connect(device, &error); })) << error.toStdString();
    ASSERT_TRUE(WaitUntil([&] { return recorder->Count(CentralEvent::Connected) == 2; }));
    ASSERT_TRUE(NotificationsOn(device));
    mock->Notify(SensorAddress, Hex("0241030d"));
    ASSERT_TRUE(WaitUntil([&] { return recorder->Count(CentralEvent::Value) == 1; }));
    EXPECT_EQ(recorder->Count(CentralEvent::Disconnected), 1);
    EXPECT_FALSE(recorder->AnyInsideCall());
}

// A local disconnect, of a link that is up or still coming up, ends at
// BlueZ too and is reported once.
class LocalDisconnect : public Link, public ::testing::WithParamInterface<bool> {};

TEST_P(LocalDisconnect, EndsTheLinkAtBlueZ) {
    const bool whileConnecting = GetParam();
    BleDevicePtr device;
    if (whileConnecting) {
        mock->SetLink(SensorAddress, 247, QStringLiteral("hang"), true, WriteAndCommand);
        mock->AdvertiseEvery(SensorAddress, SensorCompanyId, Hex("d892"), -60, 30);
        ASSERT_TRUE(Scan(200));
        mock->AdvertiseEvery(SensorAddress, SensorCompanyId, {}, 0, 0);
        device = Found(SensorAddress);
        ASSERT_TRUE(device);
        QString error;
        ASSERT_TRUE(central->Connect(device, &error)) << error.toStdString();
        ASSERT_TRUE(WaitUntil([&] { return mock->Connected(SensorAddress); }));
    } else {
        device = ConnectTo(SensorAddress);
        ASSERT_TRUE(device);
    }
    recorder->Call([&] { central->Disconnect(device); });
    ASSERT_TRUE(WaitUntil([&] { return recorder->Count(CentralEvent::Disconnected) == 1; }));
    EXPECT_TRUE(WaitUntil([&] { return !mock->Connected(SensorAddress); }));
    Pump(200);
    EXPECT_EQ(recorder->Count(CentralEvent::Connected), whileConnecting ? 0 : 1);
    EXPECT_EQ(recorder->Count(CentralEvent::Disconnected), 1);
    EXPECT_FALSE(recorder->AnyInsideCall());
}

// The program closing with a link up and a scan running leaves BlueZ idle.
TEST_F(Link, DestroyingTheCentralEndsLinkAndScan) {
    const BleDevicePtr device = ConnectTo(SensorAddress);
    ASSERT_TRUE(device);
    ASSERT_TRUE(NotificationsOn(device));
    QString error;
    ASSERT_TRUE(central->DiscoverDevices(30000, &error)) << error.toStdString();
    ASSERT_TRUE(WaitUntil([&] { return mock->Discovering(); }));
    recorder.reset();
    central.reset();
    EXPECT_TRUE(WaitUntil([&] { return !mock->Connected(SensorAddress); }));
    EXPECT_TRUE(WaitUntil([&] { return !mock->Discovering(); }));
}

INSTANTIATE_TEST_SUITE_P(QtBleCentral, LocalDisconnect, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "WhileConnecting" : "WhenUp");
                         });

// An end and a quick start again: the program connects while BlueZ has not
// yet confirmed the disconnect of the last link.
class ConnectWhileClosing : public Link {
protected:
    static constexpr int CloseMilliseconds = 800;

    // Connected, then disconnected and connected again in one go; true when
    // the connect was taken while the close was still held open.
    bool DisconnectAndConnectAgain(BleDevicePtr& device) {
        device = ConnectTo(SensorAddress);
        if (!device) return false;
        mock->SetDisconnectDelay(SensorAddress, CloseMilliseconds);
        QString error;
        const bool taken = recorder->Call([&] {
            central->Disconnect(device);
            return central->Connect(device, &error);
        });
        EXPECT_TRUE(taken) << error.toStdString();
        Pump(50);
        EXPECT_TRUE(mock->Connected(SensorAddress)) << "the close is not held open";
        return taken && mock->Connected(SensorAddress);
    }
};

TEST_F(ConnectWhileClosing, ConnectsOnceTheOldLinkIsDownAndTheNewLinkWorks) {
    BleDevicePtr device;
    ASSERT_TRUE(DisconnectAndConnectAgain(device));
    ASSERT_TRUE(WaitUntil([&] { return recorder->Count(CentralEvent::Connected) == 2; }, CloseMilliseconds + 3000));
    EXPECT_EQ(recorder->Of(CentralEvent::Connected).last().device, device);
    EXPECT_EQ(recorder->Count(CentralEvent::Disconnected), 0)
        << "the old link's end would pass for the new connection failing";

    recorder->Call([&] { central->WriteCharacteristic(device, Write(device), QByteArray("\x02" "ED\x03", 4)); });
    ASSERT_TRUE(WaitUntil([&] { return !mock->Writes(SensorAddress).isEmpty(); }));
    EXPECT_EQ(mock->Writes(SensorAddress).first().value, QByteArray("\x02" "ED\x03", 4));
    ASSERT_TRUE(NotificationsOn(device));
    mock->Notify(SensorAddress, Hex("0241030d"));
    ASSERT_TRUE(WaitUntil([&] { return recorder->Count(CentralEvent::Value) == 1; }));
    EXPECT_EQ(recorder->Of(CentralEvent::Value).first().bytes, Hex("0241030d"));
    EXPECT_EQ(recorder->Count(CentralEvent::Disconnected), 0);
    EXPECT_FALSE(recorder->AnyInsideCall());
}

// However the waiting connect ends without a link, the program hears one
// Disconnected, never Connected again, and BlueZ is left without a link.
enum class WaitingConnectEnd { CalledOff, Refused };

void PrintTo(WaitingConnectEnd end, std::ostream* out) {
    *out << (end == WaitingConnectEnd::CalledOff ? "called off" : "refused");
}

class WaitingConnectFails : public ConnectWhileClosing,
                            public ::testing::WithParamInterface<WaitingConnectEnd> {};

TEST_P(WaitingConnectFails, EndsWithOneDisconnected) {
    BleDevicePtr device;
    ASSERT_TRUE(DisconnectAndConnectAgain(device));
    if (GetParam() == WaitingConnectEnd::CalledOff)
        recorder->Call([&] { central->Disconnect(device); });
    else
        mock->SetLink(SensorAddress, 247, QStringLiteral("refuse"), true, WriteAndCommand);
    ASSERT_TRUE(WaitUntil([&] { return recorder->Count(CentralEvent::Disconnected) == 1; }, CloseMilliseconds + 3000));
    EXPECT_EQ(recorder->Of(CentralEvent::Disconnected).first().device, device);
    Pump(CloseMilliseconds);
    EXPECT_EQ(recorder->Count(CentralEvent::Connected), 1);
    EXPECT_EQ(recorder->Count(CentralEvent::Disconnected), 1);
    EXPECT_FALSE(mock->Connected(SensorAddress));
    EXPECT_FALSE(recorder->AnyInsideCall());
}

INSTANTIATE_TEST_SUITE_P(QtBleCentral, WaitingConnectFails,
                         ::testing::Values(WaitingConnectEnd::CalledOff, WaitingConnectEnd::Refused),
                         [](const ::testing::TestParamInfo<WaitingConnectEnd>& info) {
                             return std::string(info.param == WaitingConnectEnd::CalledOff ? "CalledOff" : "Refused");
                         });

// The program closing meanwhile: the old link ends and no new one is opened.
TEST_F(ConnectWhileClosing, DestroyingTheCentralDropsTheWaitingConnect) {
    BleDevicePtr device;
    ASSERT_TRUE(DisconnectAndConnectAgain(device));
    recorder.reset();
    central.reset();
    ASSERT_TRUE(WaitUntil([&] { return !mock->Connected(SensorAddress); }, CloseMilliseconds + 3000));
    Pump(300);
    EXPECT_FALSE(mock->Connected(SensorAddress));
}

}  // namespace
