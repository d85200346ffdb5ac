#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QUuid>
#include <functional>
#include <memory>
#include <ostream>

#include "bluez/mock/BluezMock.h"
#include "link/BleCentral.h"
#include "link/QtBleCentral.h"

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

// The one mock of this test process: the bus must be up before the first
// QtBluetooth object, and QtBluetooth keeps its system bus connection.
BluezMock& SharedBluezMock();
// Empty when the shared mock runs; otherwise why it does not.
QString SharedBluezMockProblem();

// Processes events until the condition holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMilliseconds = 3000);
// Processes events for a while: for checking that nothing (more) happens.
void Pump(int milliseconds);

QByteArray Hex(const char* hex);

// Everything a central emits, in order, each marked when it came inside one
// of the calls the test made through Call.
struct CentralEvent {
    enum Kind { Advertisement, End, Connected, Disconnected, Value };
    Kind kind = End;
    BleDevicePtr device;
    QByteArray bytes;             // manufacturer data, or the characteristic value
    QList<BleDevicePtr> devices;  // the end event's list
    QUuid characteristic;
    int gattStatus = 0;
    QString name;        // the device's name and paired flag at that moment
    bool paired = false;
    bool insideCall = false;
};

class CentralRecorder : public QObject {
public:
    explicit CentralRecorder(BleCentral& central);

    QList<CentralEvent> events;
    // Runs inside each event's handler, after it was recorded.
    std::function<void(const CentralEvent&)> onEvent;

    // Calls into the central through here mark events emitted meanwhile.
    template <typename Function>
    auto Call(Function function) {
        struct Depth {
            int& depth;
            explicit Depth(int& d) : depth(d) { ++depth; }
            ~Depth() { --depth; }
        } depth(callDepth_);
        return function();
    }

    int Count(CentralEvent::Kind kind) const;
    QList<CentralEvent> Of(CentralEvent::Kind kind) const;
    bool AnyInsideCall() const;

private:
    void Record(CentralEvent event);
    int callDepth_ = 0;
};

// A fresh adapter "hci0" on the shared mock and a QtBleCentral on it.
class BluezTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // One whole scan of the given length; false when it could not start or
    // no end event came.
    bool Scan(int milliseconds = 300);
    // The device handle the last end event carried for this address.
    BleDevicePtr Found(const QString& address) const;
    // Scans until the sensor is heard, then connects and waits for Connected.
    BleDevicePtr ConnectTo(const QString& address);

    BluezMock* mock = nullptr;
    std::unique_ptr<QtBleCentral> central;
    std::unique_ptr<CentralRecorder> recorder;
};

// A Tq580 advertisement: status word, CH1 and CH2 values, stored count.
QByteArray SensorAdvertisement(uint16_t status, uint8_t ch1, uint8_t ch2, uint32_t count);
constexpr quint16 SensorCompanyId = 0x0059;
