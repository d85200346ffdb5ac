// crash_probe measure|measure-slow-disk|upload|recover <data folder> <witness folder>
//
// Runs the acquisition session as the window does, on simulated sensors with
// the system clock and real timers: "measure" starts a measurement at once
// and marks events, "upload" uploads a stored record, "recover" recovers the
// journals of the data folder and ends. While it runs it prints, every 50 ms,
// "<steady ms> <samples> <marks>", and after each supervision tick it saves a
// witness of the record as a save would write it, named by that tick's time,
// so a test that kills it knows what it had stored and when. With a slow
// disk, every sync of the journal takes 300 ms more.
#include <QCoreApplication>
#include <QDir>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <unistd.h>

#include "data/Clock.h"
#include "data/CsvWriter.h"
#include "data/SampleStore.h"
#include "prompts/Prompts.h"
#include "session/AcquisitionSession.h"
#include "sim/SimulatedCentral.h"
#include "sim/SimulationOptions.h"
#include "storage/DeviceTable.h"

namespace {

const QString ProbeSensor = QStringLiteral("Tq580-200000-001");

long long SteadyMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void Say(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

// Answers as a user who starts on the one sensor at the fastest rate and
// never saves; prints every message.
class ProbePrompts : public Prompts {
public:
    void Error(const QString& text) override { Say(QStringLiteral("ERROR: ") + text); }
    void Notice(const QString& text) override { Say(QStringLiteral("NOTICE: ") + text); }
    void AskYesNo(const QString&, Answered<bool> answered) override { answered(true); }
    void AskOkCancel(const QString&, Answered<bool> answered) override { answered(true); }
    void SaveFileName(const QString&, const QString&, Answered<QString> answered) override { answered({}); }
    void OpenFileName(const QString&, Answered<QString> answered) override { answered({}); }
    void SnirfFileName(const QString&, const QString&, Answered<QString> answered) override { answered({}); }
    void ConnectionSettings(const ConnectionOffer&, Answered<std::optional<ConnectionChoice>> answered) override {
        answered(ConnectionChoice{ProbeSensor, 0, false});
    }
};

class ProbeView : public SessionView {
public:
    AcquisitionSession* session = nullptr;
    void StartDiscoveryWatchdog() override {
        if (watchdogRunning_) return;
        watchdogRunning_ = true;
        QTimer::singleShot(6000, [this] {
            watchdogRunning_ = false;
            session->DiscoveryWatchdogExpired();
        });
    }

private:
    bool watchdogRunning_ = false;
};

// The record as a save at this moment would write it.
void SaveWitness(const SampleStore& record, SampleStore& copy, const QString& folder) {
    if (record.SampleCount == 0) return;
    ResetRecord(copy);
    for (int32_t i = 0; i < record.SampleCount; ++i) AppendSample(copy, record.Samples[i]);
    std::copy(std::begin(record.EventMarks), std::end(record.EventMarks), std::begin(copy.EventMarks));
    copy.RecordDeviceId = record.ReceivedDeviceId.isEmpty() ? record.RecordDeviceId : record.ReceivedDeviceId;
    copy.RecordRateIndex = record.RecordRateIndex;
    copy.RecordStartTime = record.RecordStartTime;
    WriteRecordFile(copy, QDir(folder).filePath(QStringLiteral("witness-%1.csv").arg(SteadyMilliseconds())));
}

SyncFunction SyncFile(bool slow) {
    if (!slow) return {};
    return [](int descriptor) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return ::fdatasync(descriptor);
    };
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() != 4) {
        std::fprintf(stderr, "usage: crash_probe measure|measure-slow-disk|upload|recover <data folder> <witness folder>\n");
        return 2;
    }
    const bool slowDisk = arguments[1] == QStringLiteral("measure-slow-disk");
    const QString mode = slowDisk ? QStringLiteral("measure") : arguments[1];
    const QString dataFolder = arguments[2];
    const QString witnessFolder = arguments[3];
    QDir().mkpath(witnessFolder);

    auto clock = std::make_shared<SystemClock>();
    SimulationOptions options;
    SimulatedSensorSpec sensor;
    sensor.name = ProbeSensor;
    if (mode == QStringLiteral("upload")) {
        sensor.storedSamples = 8000;
        sensor.storedRateIndex = 4;
    }
    options.sensors = {sensor};
    options.clock = clock;
    std::unique_ptr<SimulatedCentral> central = CreateSimulatedCentral(options);
    ProbePrompts prompts;
    AcquisitionSession session(SessionDependencies{*central, prompts, *clock,
                                                   QDir(dataFolder).filePath(QStringLiteral("probe.evl")), dataFolder,
                                                   SyncFile(slowDisk)});
    ProbeView view;
    view.session = &session;
    session.SetView(&view);
    QObject::connect(central.get(), &BleCentral::DiscoverLEDevice, &session, &AcquisitionSession::DeviceDiscovered);
    QObject::connect(central.get(), &BleCentral::EndDiscoverDevices, &session, &AcquisitionSession::DiscoveryEnded);
    QObject::connect(central.get(), &BleCentral::Connected, &session, &AcquisitionSession::DeviceConnected);
    QObject::connect(central.get(), &BleCentral::Disconnected, &session, &AcquisitionSession::DeviceDisconnected);
    QObject::connect(central.get(), &BleCentral::CharacteristicRead, &session,
                     &AcquisitionSession::CharacteristicChanged);

    if (mode == QStringLiteral("recover")) {
        session.RecoverRecords();
        Say(QStringLiteral("RECOVERED %1 samples").arg(session.Store.SampleCount));
        return 0;
    }

    SampleStore witness;
    QTimer supervision;
    supervision.setInterval(500);
    QObject::connect(&supervision, &QTimer::timeout, [&] {
        session.SupervisionTick();
        // Right after the tick: marks are taken on ticks, so none can land
        // on a row of this witness later.
        SaveWitness(session.Store, witness, witnessFolder);
    });
    supervision.start();

    QTimer status;
    status.setInterval(50);
    QObject::connect(&status, &QTimer::timeout, [&] {
        Say(QStringLiteral("%1 %2 %3").arg(SteadyMilliseconds()).arg(session.Store.SampleCount).arg(EventMarkCount(session.Store)));
    });
    status.start();

    QTimer marks;
    int event = 0;
    marks.setInterval(700);
    QObject::connect(&marks, &QTimer::timeout, [&] {
        if (session.Store.SampleCount == 0) return;
        // Event 1..9 starts, then ends, in turn.
        session.MarkEvent(event % 2 == 0 ? event / 2 % 9 + 1 : -(event / 2 % 9 + 1));
        ++event;
    });

    if (mode == QStringLiteral("measure")) {
        session.ConnectButtonClicked();
        marks.start();
    } else {
        session.PageChanged(1);
        QTimer::singleShot(5500, [&] {
            for (int i = 0; i < DeviceTableSize; ++i)
                if (session.Devices[i].id == ProbeSensor) session.UploadButtonClicked(i + 1);
        });
    }
    return application.exec();
}
