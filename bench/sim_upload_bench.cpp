// How long the upload of a full sensor store (108000 samples) takes: on the
// simulated air at the default link rate (the counter simulated_seconds), and
// in wall time for the simulator to produce it (the benchmark's own time).
#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include "data/Clock.h"
#include "data/OleDate.h"
#include "sim/SimulatedCentral.h"
#include "QtBenchmarkMain.h"

namespace {

struct UploadRun {
    double simulatedSeconds = 0;
    int64_t bytes = 0;
};

UploadRun UploadFullStore(int notificationSize) {
    auto clock = std::make_shared<SettableClock>(*OleDateFromParts({2026, 3, 14, 9, 30, 0, 0}));
    SimulationOptions options;
    SimulatedSensorSpec sensorSetup;
    sensorSetup.name = QStringLiteral("Tq580-123456-001");
    sensorSetup.storedSamples = 108000;
    sensorSetup.storedRateIndex = 1;
    options.sensors = {sensorSetup};
    options.notificationSize = notificationSize;
    options.clock = clock;
    options.tickIntervalMilliseconds = 0;
    SimulatedCentral central(options);

    BleDevicePtr device;
    bool connected = false;
    int64_t bytes = 0;
    QObject::connect(&central, &BleCentral::EndDiscoverDevices,
                     [&device](const QList<BleDevicePtr>& devices) { device = devices.value(0); });
    QObject::connect(&central, &BleCentral::Connected, [&connected](const BleDevicePtr&) { connected = true; });
    QObject::connect(&central, &BleCentral::CharacteristicRead,
                     [&bytes](const BleDevicePtr&, const QUuid&, const QByteArray& value, int) { bytes += value.size(); });
    const auto run = [&](int milliseconds, int step) {
        for (int done = 0; done < milliseconds; done += step) {
            clock->AdvanceMilliseconds(step);
            central.Tick();
            QCoreApplication::sendPostedEvents();
        }
    };

    QString error;
    central.DiscoverDevices(1000, &error);
    run(1000, 10);
    central.DiscoverServices(device);
    central.Connect(device, &error);
    run(500, 10);
    const BleServicePtr service = FindService(device, UartServiceUuid);
    central.SetCharacteristicNotification(device, FindCharacteristic(service, UartNotifyUuid), true);
    if (!connected) return {};

    central.WriteCharacteristic(device, FindCharacteristic(service, UartWriteUuid), QByteArray("\x02GS4\x03"));
    const int64_t start = OleDateToMilliseconds(clock->Now());
    int64_t lastGrowth = start;
    for (int64_t seen = -1; seen != bytes || OleDateToMilliseconds(clock->Now()) - lastGrowth < 1000;) {
        if (seen != bytes) lastGrowth = OleDateToMilliseconds(clock->Now());
        seen = bytes;
        run(10, 10);
    }
    return {static_cast<double>(lastGrowth - start) / 1000.0, bytes};
}

void FullStoreUpload(benchmark::State& state) {
    UploadRun last;
    for (auto _ : state) last = UploadFullStore(static_cast<int>(state.range(0)));
    state.counters["simulated_seconds"] = last.simulatedSeconds;
    state.counters["bytes"] = static_cast<double>(last.bytes);
}

}  // namespace

BENCHMARK(FullStoreUpload)->Arg(244)->Arg(20)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return RunBenchmarksInQtApplication(argc, argv); }
