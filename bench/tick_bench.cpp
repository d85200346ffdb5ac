// The window thread's time in one supervision tick while a measurement runs
// at the fastest rate the dialog offers (0.1 s: 5 samples a tick), with the
// journal on this disk and on a disk whose every sync takes 300 ms more.
// The tick hands the journal's batch to the writer thread and returns; a
// slow disk must not show here.
//
// The session runs on simulated sensors on a set clock moved 500 ms between
// ticks, faster than real time, so the writer thread is busy all along (its
// batches merge while a sync hangs). Reported: the 50th and 99th percentile
// and the longest tick, in microseconds, over 2000 ticks (17 minutes of
// measurement).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <thread>
#include <unistd.h>
#include <vector>

#include "data/Clock.h"
#include "data/OleDate.h"
#include "prompts/Prompts.h"
#include "session/AcquisitionSession.h"
#include "sim/SimulatedCentral.h"
#include "QtBenchmarkMain.h"

namespace {

QString BenchSensor(int number) { return QStringLiteral("Tq580-300000-%1").arg(number, 3, 10, QLatin1Char('0')); }

// Starts the given number of sensors together at 0.1 s.
class BenchPrompts : public Prompts {
public:
    int sensors = 1;
    void Error(const QString&) override {}
    void Notice(const QString&) override {}
    void AskYesNo(const QString&, Answered<bool> answered) override { answered(true); }
    void AskOkCancel(const QString&, Answered<bool> answered) override { answered(true); }
    void SaveFileName(const QString&, const QString&, Answered<QString> answered) override { answered({}); }
    void OpenFileName(const QString&, Answered<QString> answered) override { answered({}); }
    void SnirfFileName(const QString&, const QString&, Answered<QString> answered) override { answered({}); }
    void ConnectionSettings(const ConnectionOffer&, Answered<std::optional<ConnectionChoice>> answered) override {
        QStringList more;
        for (int number = 2; number <= sensors; ++number) more << BenchSensor(number);
        answered(ConnectionChoice{BenchSensor(1), 0, false, more});
    }
};

SyncFunction SlowSync() {
    return [](int descriptor) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return ::fdatasync(descriptor);
    };
}

void BM_SupervisionTick(benchmark::State& state) {
    const bool slowDisk = state.range(0) != 0;
    const int sensorCount = static_cast<int>(state.range(1));
    QTemporaryDir folder(QDir::currentPath() + QStringLiteral("/tick-bench-XXXXXX"));
    auto clock = std::make_shared<SettableClock>(*OleDateFromParts({2026, 12, 10, 9, 0, 0, 0}));
    SimulationOptions options;
    for (int number = 1; number <= sensorCount; ++number) {
        SimulatedSensorSpec sensor;
        sensor.name = BenchSensor(number);
        options.sensors.append(sensor);
    }
    options.tickIntervalMilliseconds = 0;
    options.clock = clock;
    std::unique_ptr<SimulatedCentral> central = CreateSimulatedCentral(options);
    BenchPrompts prompts;
    prompts.sensors = sensorCount;
    int64_t elapsed = 0;
    const auto advance = [&](int64_t milliseconds) {
        for (int64_t done = 0; done < milliseconds; done += 10) {
            clock->AdvanceMilliseconds(10);
            elapsed += 10;
            central->Tick();
            QCoreApplication::processEvents();
        }
    };
    AcquisitionSession session(SessionDependencies{*central, prompts, *clock, folder.filePath(QStringLiteral("tq580.evl")),
                                                   folder.filePath(QStringLiteral("Data")),
                                                   slowDisk ? SlowSync() : SyncFunction{}});
    QObject::connect(central.get(), &BleCentral::EndDiscoverDevices, &session, &AcquisitionSession::DiscoveryEnded);
    QObject::connect(central.get(), &BleCentral::Connected, &session, &AcquisitionSession::DeviceConnected);
    QObject::connect(central.get(), &BleCentral::Disconnected, &session, &AcquisitionSession::DeviceDisconnected);
    QObject::connect(central.get(), &BleCentral::CharacteristicRead, &session, &AcquisitionSession::CharacteristicChanged);

    session.ConnectButtonClicked();
    advance(6000);
    if (session.Mode() != SessionMode::Measuring || session.SensorCount() != sensorCount) {
        state.SkipWithError("the measurement did not start");
        return;
    }
    constexpr int Ticks = 2000;
    std::vector<double> microseconds;
    microseconds.reserve(Ticks);
    for (auto _ : state) {
        for (int tick = 0; tick < Ticks; ++tick) {
            advance(500);
            if (tick % 20 == 0) session.MarkEvent(tick % 40 == 0 ? 1 : -1);
            const auto start = std::chrono::steady_clock::now();
            session.SupervisionTick();
            microseconds.push_back(
                std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
        }
    }
    std::sort(microseconds.begin(), microseconds.end());
    const auto percentile = [&](double p) {
        return microseconds[std::min(microseconds.size() - 1, static_cast<size_t>(p * double(microseconds.size())))];
    };
    state.counters["p50_us"] = percentile(0.50);
    state.counters["p99_us"] = percentile(0.99);
    state.counters["max_us"] = microseconds.back();
    state.counters["samples"] = session.Store.SampleCount;
    for (int i = 0; i < session.SensorCount(); ++i) session.SensorAt(i).Store.DataSaved = true;
    session.Closing();
}
// One sensor on this disk and on a slow one; four sensors measured together.
BENCHMARK(BM_SupervisionTick)
    ->ArgNames({"slow_disk", "sensors"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({0, 4})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunBenchmarksInQtApplication(argc, argv); }
