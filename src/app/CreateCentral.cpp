#include "app/CreateCentral.h"

#include "sim/SimulatedCentral.h"
#include "sim/SimulationOptions.h"
#include "link/QtBleCentral.h"

namespace {

// Stands in where no Bluetooth LE radio can be used: every request fails
// with the reason, which the main window shows before it exits.
class UnusableCentral : public BleCentral {
public:
    explicit UnusableCentral(QString reason) : reason_(std::move(reason)) {}

    QString UnusableReason() const override { return reason_; }
    bool DiscoverDevices(int, QString* error) override { return Refuse(error); }
    void CancelDiscovery() override {}
    bool DiscoverServices(const BleDevicePtr&) override { return false; }
    bool Connect(const BleDevicePtr&, QString* error) override { return Refuse(error); }
    void SetCharacteristicNotification(const BleDevicePtr&, const BleCharacteristicPtr&, bool) override {}
    void WriteCharacteristic(const BleDevicePtr&, const BleCharacteristicPtr&, const QByteArray&) override {}
    void Disconnect(const BleDevicePtr&) override {}

private:
    bool Refuse(QString* error) const {
        if (error) *error = reason_;
        return false;
    }
    QString reason_;
};

}  // namespace

int SimulatedSensorCount(const QStringList& arguments) {
    int count = 0;
    for (const QString& argument : arguments.mid(1)) {
        if (argument == QLatin1String("--simulate")) {
            count = DefaultSimulatedSensors;
        } else if (argument.startsWith(QLatin1String("--simulate="))) {
            bool ok = false;
            const int asked = argument.mid(int(sizeof("--simulate=") - 1)).toInt(&ok);
            count = ok && asked >= 1 && asked <= 30 ? asked : -1;
        }
    }
    return count;
}

std::optional<SimulatedDrop> ParseSimulatedDrop(const QString& text) {
    const QStringList parts = text.split(u',');
    if (parts.size() != 2) return std::nullopt;
    bool afterOk = false;
    bool forOk = false;
    const SimulatedDrop drop{parts[0].trimmed().toDouble(&afterOk), parts[1].trimmed().toDouble(&forOk)};
    if (!afterOk || !forOk || !(drop.afterSeconds >= 0) || !(drop.forSeconds > 0) || drop.afterSeconds > 1e6 ||
        drop.forSeconds > 1e6)
        return std::nullopt;
    return drop;
}

std::unique_ptr<BleCentral> CreateCentral(const QStringList& arguments) {
    const int simulated = SimulatedSensorCount(arguments);
    if (simulated < 0)
        return std::make_unique<UnusableCentral>(
            QStringLiteral("The number of simulated sensors must be from 1 to 30, as in --simulate=3."));
    if (simulated > 0) {
        SimulationOptions options;
        options.sensors = DefaultSensors(simulated);
        for (const QString& argument : arguments)
            if (argument.startsWith(QLatin1String("--simulate-drop=")))
                if (const auto drop = ParseSimulatedDrop(argument.section(u'=', 1))) {
                    options.dropAfterSeconds = drop->afterSeconds;
                    options.dropForSeconds = drop->forSeconds;
                }
        return CreateSimulatedCentral(options);
    }
    return std::make_unique<QtBleCentral>();
}
