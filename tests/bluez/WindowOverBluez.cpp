#include "bluez/WindowOverBluez.h"

#include "link/Framing.h"

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

QList<QByteArray> NotificationsOf(const QByteArray& stream) {
    QList<QByteArray> pieces;
    for (qsizetype at = 0; at < stream.size(); at += 20) pieces << stream.mid(at, 20);
    return pieces;
}

void WindowOverBluez::SetUp() {
    BluezTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    const QStringList writeFlags = {QStringLiteral("write-without-response"), QStringLiteral("write")};
    mock->AddSensor(SensorAddress, SensorName, true);
    mock->SetLink(SensorAddress, 23, QStringLiteral("normal"), true, writeFlags);
    mock->AdvertiseEvery(SensorAddress, SensorCompanyId, SensorAdvertisement(0x1400, 0, 0, 0), -58, 100);
    mock->AddSensor(OtherAddress, OtherName, true);
    mock->SetLink(OtherAddress, 23, QStringLiteral("normal"), true, writeFlags);
    mock->AdvertiseEvery(OtherAddress, SensorCompanyId, SensorAdvertisement(0x1400, 0, 0, 0), -70, 100);

    window = std::make_unique<TForm1>(TForm1Dependencies{*central, prompts, printPrompts, clock,
                                                         folder.filePath(QStringLiteral("tq580")),
                                                         folder.path(), [](const QUrl&) { return true; }});
    window->show();
}

void WindowOverBluez::TearDown() {
    window.reset();
    if (mock) {
        mock->AdvertiseEvery(SensorAddress, SensorCompanyId, {}, 0, 0);
        mock->AdvertiseEvery(OtherAddress, SensorCompanyId, {}, 0, 0);
    }
    BluezTest::TearDown();
}
