#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <memory>
#include <vector>

#include "data/Clock.h"
#include "sim/SimulatedCentral.h"

// A simulated central on a set clock, with every event it delivers recorded.
// Time moves only when a test says so, in steps, each followed by the
// delivery of what the step made due, as the program's event loop would.
class SimHarness {
public:
    explicit SimHarness(SimulationOptions options = {});

    struct Advertisement {
        BleDevicePtr device;
        QByteArray data;
        int64_t atMilliseconds;
    };

    std::shared_ptr<SettableClock> clock;
    std::unique_ptr<SimulatedCentral> central;

    std::vector<Advertisement> advertisements;
    std::vector<QList<BleDevicePtr>> scanEnds;
    std::vector<BleDevicePtr> connected;
    std::vector<BleDevicePtr> disconnected;
    std::vector<QByteArray> notifications;
    QByteArray received;  // every notification's bytes, in order
    QHash<QString, int64_t> bytesFrom;  // notification bytes by sensor name

    int64_t NowMilliseconds() const;
    void Deliver();  // hands out the events already posted
    void Run(int64_t milliseconds, int stepMilliseconds = 10);

    BleDevicePtr Find(const QString& name);  // scans until the sensor is heard
    // Connects as the program does: services, connect, notifications on.
    BleDevicePtr ConnectTo(const QString& name);
    void Write(const BleDevicePtr& device, const QByteArray& bytes);
    void Command(const BleDevicePtr& device, const char* text);  // one STX text ETX frame

    void ForgetReceived();
};

// The sensor's byte stream read back by the packet and reply framing the
// device tables give: 0x7B ... 0x7D with 0x7C escaping the next byte (XOR
// 0x20), STX ... ETX around replies.
struct ReadBack {
    std::vector<QByteArray> packets;
    QList<QByteArray> replies;
};
ReadBack ReadFrames(const QByteArray& bytes);

QByteArray Hex(const char* hex);
uint16_t BigEndian16(const QByteArray& bytes, int offset);
uint32_t BigEndian32(const QByteArray& bytes, int offset);
float FloatAt(const QByteArray& bytes, int offset);
