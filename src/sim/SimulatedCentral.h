#pragma once

#include <QList>
#include <QTimer>
#include <memory>
#include <vector>

#include "link/BleCentral.h"
#include "sim/AirTime.h"
#include "sim/SimulatedSensor.h"
#include "sim/SimulationOptions.h"
#include "sim/SimulationTime.h"

// A Bluetooth LE central whose radio hears simulated sensors. Every event
// is posted to the GUI thread's event queue, never emitted inside a call, as
// a platform stack delivers them; so the program above runs exactly the code
// it runs with a real radio.
class SimulatedCentral : public BleCentral, private SensorRadio {
    Q_OBJECT

public:
    explicit SimulatedCentral(const SimulationOptions& options, QObject* parent = nullptr);
    ~SimulatedCentral() override;

    QString UnusableReason() const override { return {}; }
    bool DiscoverDevices(int timeoutMilliseconds, QString* error) override;
    void CancelDiscovery() override;
    bool DiscoverServices(const BleDevicePtr& device) override;
    bool Connect(const BleDevicePtr& device, QString* error) override;
    void SetCharacteristicNotification(const BleDevicePtr& device, const BleCharacteristicPtr& characteristic,
                                       bool enable) override;
    void WriteCharacteristic(const BleDevicePtr& device, const BleCharacteristicPtr& characteristic,
                             const QByteArray& value) override;
    void Disconnect(const BleDevicePtr& device) override;

    // Does everything that has fallen due by now, in the order it fell due.
    // The timer calls it; a test calls it after moving the clock.
    void Tick();

    // The sensors, to make them misbehave or fill their logs; null when no
    // sensor has that name.
    SimulatedSensor* Sensor(const QString& name) const;
    int SensorCount() const { return static_cast<int>(sensors_.size()); }
    SimulatedSensor& SensorAt(int index) const { return *sensors_[static_cast<size_t>(index)]; }

private:
    struct Peripheral {
        std::unique_ptr<SimulatedSensor> sensor;
        BleDevicePtr device;
        BleServicePtr service;
        int endsPosted = 0;           // Disconnected events not yet delivered
        bool connectWaiting = false;  // asked since one of them was posted: that one is not told
    };

    void Advertised(SimulatedSensor& sensor, const QByteArray& manufacturerData) override;
    void ConnectionUp(SimulatedSensor& sensor) override;
    void Notified(SimulatedSensor& sensor, const QByteArray& value) override;
    void ConnectionLost(SimulatedSensor& sensor) override;

    Peripheral* Find(const BleDevicePtr& device);
    Peripheral& Of(const SimulatedSensor& sensor);
    void EndScan();
    template <typename Event>
    void Post(Event event);

    SimulationTime time_;
    AirTime air_;  // the radio time all links share
    std::vector<Peripheral> peripherals_;
    std::vector<SimulatedSensor*> sensors_;
    bool scanning_ = false;
    int64_t scanEnd_ = 0;
    QList<BleDevicePtr> heard_;
    QTimer timer_;
};

std::unique_ptr<SimulatedCentral> CreateSimulatedCentral(const SimulationOptions& options = {});
