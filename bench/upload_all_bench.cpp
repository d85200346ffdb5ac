// Upload all of eight simulated sensors, each with 12000 stored samples at
// 0.1 s (20 minutes of logging), on the simulated air that all links share:
// one upload at a time against four at once, in one run. Reported in
// simulated seconds from the click until the last record is saved, its log
// cleared and the page free again (the scan that finds the sensors
// included), and their ratio; the goal is a ratio of at most 0.35. The
// session's own flow runs, the writer thread writes every record and SNIRF
// file; the simulator's clock is moved directly, so the minutes pass in
// seconds.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include "data/Clock.h"
#include "data/OleDate.h"
#include "prompts/Prompts.h"
#include "session/AcquisitionSession.h"
#include "sim/SimulatedCentral.h"
#include "QtBenchmarkMain.h"

namespace {

constexpr int Sensors = 8;
constexpr int StoredSamples = 12000;
constexpr int StepMilliseconds = 10;

class QuietPrompts : public Prompts {
public:
    void Error(const QString& text) override { shown << text; }
    void Notice(const QString& text) override { shown << text; }
    void AskYesNo(const QString&, Answered<bool> answered) override { answered(false); }
    void AskOkCancel(const QString&, Answered<bool> answered) override { answered(false); }
    void SaveFileName(const QString&, const QString&, Answered<QString> answered) override { answered({}); }
    void OpenFileName(const QString&, Answered<QString> answered) override { answered({}); }
    void SnirfFileName(const QString&, const QString&, Answered<QString> answered) override { answered({}); }
    void ConnectionSettings(const ConnectionOffer&, Answered<std::optional<ConnectionChoice>> answered) override {
        answered(std::nullopt);
    }
    QStringList shown;
};

// The storage page's view: it only starts the discovery watchdog.
class WatchdogView : public SessionView {
public:
    void StartDiscoveryWatchdog() override {
        if (startedAt < 0) startedAt = now;
    }
    int64_t now = 0;
    int64_t startedAt = -1;  // -1: not running
};

struct Run {
    double simulatedSeconds = 0;
    int saved = 0;
};

Run UploadAll(int parallel) {
    QTemporaryDir folder(QDir::currentPath() + QStringLiteral("/upload-all-bench-XXXXXX"));
    auto clock = std::make_shared<SettableClock>(*OleDateFromParts({2026, 12, 10, 9, 0, 0, 0}));
    SimulationOptions options;
    for (int number = 1; number <= Sensors; ++number) {
        SimulatedSensorSpec sensor;
        sensor.name = QStringLiteral("Tq580-400000-%1").arg(number, 3, 10, QLatin1Char('0'));
        sensor.storedSamples = StoredSamples;
        sensor.storedRateIndex = 1;
        options.sensors.append(sensor);
    }
    options.tickIntervalMilliseconds = 0;
    options.clock = clock;
    std::unique_ptr<SimulatedCentral> central = CreateSimulatedCentral(options);
    QuietPrompts prompts;
    WatchdogView view;
    AcquisitionSession session(SessionDependencies{*central, prompts, *clock, folder.filePath(QStringLiteral("tq580.evl")),
                                                   folder.filePath(QStringLiteral("Data")), {}});
    QObject::connect(central.get(), &BleCentral::DiscoverLEDevice, &session, &AcquisitionSession::DeviceDiscovered);
    QObject::connect(central.get(), &BleCentral::EndDiscoverDevices, &session, &AcquisitionSession::DiscoveryEnded);
    QObject::connect(central.get(), &BleCentral::Connected, &session, &AcquisitionSession::DeviceConnected);
    QObject::connect(central.get(), &BleCentral::Disconnected, &session, &AcquisitionSession::DeviceDisconnected);
    QObject::connect(central.get(), &BleCentral::CharacteristicRead, &session, &AcquisitionSession::CharacteristicChanged);
    session.SetView(&view);

    // The window's timers, by the simulated clock.
    const auto advance = [&](int64_t milliseconds) {
        for (int64_t done = 0; done < milliseconds; done += StepMilliseconds) {
            clock->AdvanceMilliseconds(StepMilliseconds);
            view.now += StepMilliseconds;
            central->Tick();
            QCoreApplication::processEvents();
            if (view.startedAt >= 0 && view.now - view.startedAt >= 6000) {
                view.startedAt = -1;
                session.DiscoveryWatchdogExpired();
            }
            if (view.now % 500 == 0) {
                session.SupervisionTick();
                session.SettleDiskWrites();
            }
        }
    };

    session.PageChanged(1);
    advance(5500);  // the page's first scan has listed the sensors
    session.UploadParallel = parallel;
    const int64_t start = OleDateToMilliseconds(clock->Now());
    session.UploadAllButtonClicked();
    while (session.UploadAllButtonCancels() && OleDateToMilliseconds(clock->Now()) - start < 3600 * 1000)
        advance(StepMilliseconds);
    const Run run{static_cast<double>(OleDateToMilliseconds(clock->Now()) - start) / 1000.0,
                  static_cast<int>(session.UploadAllSoFar().Names(UploadAllStage::Saved).size())};
    session.SetView(nullptr);
    return run;
}

void BM_UploadAllOneAgainstFourAtOnce(benchmark::State& state) {
    Run one;
    Run four;
    for (auto _ : state) {
        one = UploadAll(1);
        four = UploadAll(4);
    }
    state.counters["one_at_a_time_s"] = one.simulatedSeconds;
    state.counters["four_at_once_s"] = four.simulatedSeconds;
    state.counters["ratio"] = one.simulatedSeconds > 0 ? four.simulatedSeconds / one.simulatedSeconds : 0;
    state.counters["saved_one"] = one.saved;
    state.counters["saved_four"] = four.saved;
    if (one.saved != Sensors || four.saved != Sensors) state.SkipWithError("not every record was saved");
}

}  // namespace

BENCHMARK(BM_UploadAllOneAgainstFourAtOnce)->Iterations(1)->Unit(benchmark::kSecond);

int main(int argc, char** argv) { return RunBenchmarksInQtApplication(argc, argv); }
