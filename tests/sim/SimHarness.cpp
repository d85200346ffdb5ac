#include "SimHarness.h"

#include <QCoreApplication>
#include <bit>

#include "data/OleDate.h"

SimHarness::SimHarness(SimulationOptions options) {
    // 2026-03-14 09:30:00, an arbitrary working morning.
    clock = std::make_shared<SettableClock>(*OleDateFromParts({2026, 3, 14, 9, 30, 0, 0}));
    options.clock = clock;
    options.tickIntervalMilliseconds = 0;
    central = CreateSimulatedCentral(options);
    QObject::connect(central.get(), &BleCentral::DiscoverLEDevice, [this](const BleDevicePtr& device, const QByteArray& data) {
        advertisements.push_back({device, data, NowMilliseconds()});
    });
    QObject::connect(central.get(), &BleCentral::EndDiscoverDevices,
                     [this](const QList<BleDevicePtr>& devices) { scanEnds.push_back(devices); });
    QObject::connect(central.get(), &BleCentral::Connected, [this](const BleDevicePtr& d) { connected.push_back(d); });
    QObject::connect(central.get(), &BleCentral::Disconnected,
                     [this](const BleDevicePtr& d) { disconnected.push_back(d); });
    QObject::connect(central.get(), &BleCentral::CharacteristicRead,
                     [this](const BleDevicePtr& device, const QUuid& uuid, const QByteArray& value, int status) {
                         if (uuid != UartNotifyUuid || status != 0) return;
                         bytesFrom[device->DeviceName] += value.size();
                         notifications.push_back(value);
                         received.append(value);
                     });
}

int64_t SimHarness::NowMilliseconds() const { return OleDateToMilliseconds(clock->Now()); }

void SimHarness::Deliver() { QCoreApplication::sendPostedEvents(); }

void SimHarness::Run(int64_t milliseconds, int step) {
    for (int64_t done = 0; done < milliseconds; done += step) {
        clock->AdvanceMilliseconds(std::min<int64_t>(step, milliseconds - done));
        central->Tick();
        Deliver();
    }
}

BleDevicePtr SimHarness::Find(const QString& name) {
    QString error;
    if (!central->DiscoverDevices(1000, &error)) return nullptr;
    Run(1000);
    for (const BleDevicePtr& device : scanEnds.back())
        if (device->DeviceName == name) return device;
    return nullptr;
}

BleDevicePtr SimHarness::ConnectTo(const QString& name) {
    const BleDevicePtr device = Find(name);
    if (!device || !central->DiscoverServices(device)) return nullptr;
    QString error;
    const size_t before = connected.size();
    if (!central->Connect(device, &error)) return nullptr;
    for (int waited = 0; waited < 100 && connected.size() == before; ++waited) Run(10);
    if (connected.size() == before) return nullptr;
    central->SetCharacteristicNotification(device, FindCharacteristic(FindService(device, UartServiceUuid), UartNotifyUuid),
                                           true);
    return device;
}

void SimHarness::Write(const BleDevicePtr& device, const QByteArray& bytes) {
    central->WriteCharacteristic(device, FindCharacteristic(FindService(device, UartServiceUuid), UartWriteUuid), bytes);
}

void SimHarness::Command(const BleDevicePtr& device, const char* text) {
    Write(device, QByteArray("\x02") + text + "\x03");
}

void SimHarness::ForgetReceived() {
    notifications.clear();
    received.clear();
}

ReadBack ReadFrames(const QByteArray& bytes) {
    ReadBack read;
    bool inPacket = false, escape = false, inText = false;
    QByteArray current;
    for (char c : bytes) {
        const auto b = static_cast<uint8_t>(c);
        if (b == 0x7B) {
            inPacket = true;
            escape = false;
            inText = false;
            current.clear();
        } else if (inPacket && b == 0x7C) {
            escape = true;
        } else if (inPacket && b == 0x7D) {
            read.packets.push_back(current);
            inPacket = false;
        } else if (inPacket) {
            current.append(static_cast<char>(escape ? b ^ 0x20 : b));
            escape = false;
        } else if (b == 0x02) {
            inText = true;
            current.clear();
        } else if (b == 0x03 && inText) {
            read.replies.append(current);
            inText = false;
        } else if (inText) {
            current.append(c);
        }
    }
    return read;
}

QByteArray Hex(const char* hex) { return QByteArray::fromHex(hex); }

uint16_t BigEndian16(const QByteArray& bytes, int offset) {
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[offset]) << 8 | static_cast<uint8_t>(bytes[offset + 1]));
}

uint32_t BigEndian32(const QByteArray& bytes, int offset) {
    return static_cast<uint32_t>(BigEndian16(bytes, offset)) << 16 | BigEndian16(bytes, offset + 2);
}

float FloatAt(const QByteArray& bytes, int offset) { return std::bit_cast<float>(BigEndian32(bytes, offset)); }
