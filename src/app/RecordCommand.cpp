// The measurement of --record: the acquisition session driven as the window
// drives it (its supervision tick, its discovery watchdog, the central's
// events, network marks), with the command line in place of the clicks and
// the connection dialog.
#include "app/RecordCommand.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTimer>
#include <cmath>
#include <memory>

#include "app/CreateCentral.h"
#include "app/HeadlessSession.h"
#include "app/ProgramFiles.h"
#include "data/RecordFileNames.h"
#include "app/RecordProgress.h"
#include "app/RecordPrompts.h"
#include "app/TerminationSignals.h"
#include "data/Clock.h"
#include "data/OleDate.h"
#include "network/MarkListener.h"
#include "session/AcquisitionSession.h"

namespace {

constexpr int ProgressMilliseconds = 1000;
const QString MarksAddress = QStringLiteral("127.0.0.1");

class Recording : public QObject {
public:
    Recording(const RecordRequest& request, BleCentral& central, const ProgramFiles& files, QTextStream& out,
              QTextStream& err);

    // The exit code, once the recording has ended.
    int Run();

private:
    enum class Stage {
        Scanning,   // Start was clicked; the choice of sensors follows the scan
        Measuring,  // the sensors were chosen and their links asked for
        Ending,     // the measurement was ended and its files are written
        Over,
    };

    // Bluetooth, the folder and the marks port can be used.
    bool Prepare();
    // Every named sensor was heard: the scan need not run to its end.
    void Heard(const BleDevicePtr& device);
    void Tick();
    void ShowProgress();
    // The measurement's first sample, of any sensor; 0 before.
    double MeasurementStart() const;
    void EndAtDuration(double start);
    bool RecordFull();
    // The duration has passed, a signal came or a record is full.
    void End();
    QString ClaimFileOf(const Sensor& sensor, double start);
    void Saved(bool saved);
    void Finish(int exitCode);

    const RecordRequest request_;
    BleCentral& central_;
    QTextStream& out_;
    QTextStream& err_;
    RecordPrompts prompts_;
    HeadlessSession driver_;
    AcquisitionSession& session_;
    const Clock& clock_;
    std::unique_ptr<MarkListener> marks_;
    QTimer progress_;
    QTimer durationEnd_;
    Stage stage_ = Stage::Scanning;
    QSet<QString> heard_;
    bool scanCut_ = false;
    struct ClaimedFile {
        QString sensor;
        int32_t rows;
        QString path;
    };
    QList<ClaimedFile> claimed_;
};

Recording::Recording(const RecordRequest& request, BleCentral& central, const ProgramFiles& files,
                     QTextStream& out, QTextStream& err)
    : request_(request),
      central_(central),
      out_(out),
      err_(err),
      prompts_(err, request.sensors, request.rateItem),
      driver_(central, prompts_, files),
      session_(driver_.Session()),
      clock_(driver_.LocalClock()) {
    progress_.setInterval(ProgressMilliseconds);
    durationEnd_.setSingleShot(true);
    durationEnd_.setTimerType(Qt::PreciseTimer);
    connect(&progress_, &QTimer::timeout, this, &Recording::ShowProgress);
    connect(&durationEnd_, &QTimer::timeout, this, &Recording::End);
    connect(&central, &BleCentral::DiscoverLEDevice, this, &Recording::Heard);
}

int Recording::Run() {
    if (!Prepare()) return 1;
    OnTerminationSignals(*this, [this] { End(); });
    session_.ConnectButtonClicked();
    if (session_.Mode() != SessionMode::ScanningForConnection) {
        err_ << QStringLiteral("The scan for sensors could not start.") << Qt::endl;
        return 1;
    }
    driver_.Start([this] { Tick(); });
    progress_.start();
    ShowProgress();
    return QCoreApplication::exec();
}

bool Recording::Prepare() {
    const QString problem = HeadlessStartProblem(central_, request_.folder);
    if (!problem.isEmpty()) {
        err_ << problem << Qt::endl;
        return false;
    }
    if (request_.marksPort == 0) return true;
    marks_ = std::make_unique<MarkListener>([this](int event) { return session_.TakeOutsideMark(event); });
    if (!marks_->Listen(MarksAddress, static_cast<quint16>(request_.marksPort))) {
        err_ << QStringLiteral("Cannot take network marks: %1").arg(marks_->StatusText()) << Qt::endl;
        return false;
    }
    return true;
}

void Recording::Heard(const BleDevicePtr& device) {
    if (scanCut_ || session_.Mode() != SessionMode::ScanningForConnection || !device || !device->Paired ||
        !request_.sensors.contains(device->DeviceName))
        return;
    heard_.insert(device->DeviceName);
    if (heard_.size() < request_.sensors.size()) return;
    scanCut_ = true;
    central_.CancelDiscovery();  // its end event carries the scan on, as the watchdog's would
}

void Recording::Tick() {
    switch (stage_) {
        case Stage::Scanning:
            if (session_.Live()) {
                stage_ = Stage::Measuring;
            } else if (session_.Mode() == SessionMode::Idle) {
                // Called off: the session or the sensor choice said why.
                if (prompts_.ErrorCount() == 0) err_ << QStringLiteral("The measurement did not start.") << Qt::endl;
                Finish(1);
            }
            return;
        case Stage::Measuring:
            if (!session_.Live()) {
                if (prompts_.ErrorCount() == 0) err_ << QStringLiteral("The measurement ended by itself.") << Qt::endl;
                Finish(1);
                return;
            }
            if (const double start = MeasurementStart(); start != 0) EndAtDuration(start);
            if (RecordFull()) End();
            return;
        case Stage::Ending:
        case Stage::Over:
            return;
    }
}

void Recording::ShowProgress() {
    if (stage_ != Stage::Scanning && stage_ != Stage::Measuring) return;
    QList<SensorProgress> sensors;
    if (session_.Live()) {
        for (int i = 0; i < session_.SensorCount(); ++i) {
            const Sensor& sensor = session_.SensorAt(i);
            sensors.append({sensor.Name(), sensor.Store.SampleCount, sensor.Store.CurrentSample.batt,
                            SensorPhaseText(sensor.Phase)});
        }
    } else {
        for (const QString& name : request_.sensors) sensors.append({name, 0, 0, QStringLiteral("scanning")});
    }
    const double start = MeasurementStart();
    const int64_t seconds =
        start == 0 ? 0 : (OleDateToMilliseconds(clock_.Now()) - OleDateToMilliseconds(start)) / 1000;
    out_ << ProgressLine(seconds, sensors) << Qt::endl;
}

double Recording::MeasurementStart() const {
    double start = 0;
    for (int i = 0; i < session_.SensorCount(); ++i) {
        const SampleStore& store = session_.SensorAt(i).Store;
        if (store.SampleCount > 0 && (start == 0 || store.RecordStartTime < start)) start = store.RecordStartTime;
    }
    return start;
}

// The end is timed from the first sample, whenever the tick learns of it.
void Recording::EndAtDuration(double start) {
    if (request_.durationSeconds == 0 || durationEnd_.isActive()) return;
    const int64_t elapsed = OleDateToMilliseconds(clock_.Now()) - OleDateToMilliseconds(start);
    const int64_t remaining = std::llround(request_.durationSeconds * 1000) - elapsed;
    durationEnd_.start(static_cast<int>(std::max<int64_t>(remaining, 0)));
}

bool Recording::RecordFull() {
    for (int i = 0; i < session_.SensorCount(); ++i) {
        const Sensor& sensor = session_.SensorAt(i);
        if (!sensor.Store.RecordFull) continue;
        out_ << QStringLiteral("The record of %1 is full; the measurement ends.").arg(sensor.Name()) << Qt::endl;
        return true;
    }
    return false;
}

void Recording::End() {
    if (stage_ == Stage::Ending || stage_ == Stage::Over) return;  // a second signal while the files are written
    if (!session_.Live()) {
        err_ << QStringLiteral("Stopped before the measurement began; nothing was saved.") << Qt::endl;
        Finish(1);
        return;
    }
    stage_ = Stage::Ending;
    durationEnd_.stop();
    progress_.stop();
    const double start = MeasurementStart();
    session_.EndMeasurementSavingTo([this, start](const Sensor& sensor) { return ClaimFileOf(sensor, start); },
                                    [this](bool saved) { Saved(saved); });
}

QString Recording::ClaimFileOf(const Sensor& sensor, double start) {
    QString error;
    const QString path = ClaimNewRecordFile(request_.folder, RecordFileBaseName(sensor.Name(), start), &error);
    if (path.isEmpty()) err_ << error << Qt::endl;  // the save then fails on the empty path, and says so
    else claimed_.append({sensor.Name(), sensor.Store.SampleCount, path});
    return path;
}

void Recording::Saved(bool saved) {
    QSet<QString> written;
    for (const ClaimedFile& file : claimed_) {
        // A record file has its header at least; an empty one is the name taken for a write that failed.
        if (QFileInfo(file.path).size() == 0) {
            QFile::remove(file.path);
            continue;
        }
        written.insert(file.sensor);
        out_ << QStringLiteral("%1: %2 rows saved in %3").arg(file.sensor).arg(file.rows).arg(file.path) << Qt::endl;
    }
    bool complete = saved;
    for (int i = 0; i < session_.SensorCount(); ++i) {
        const QString name = session_.SensorAt(i).Name();
        if (written.contains(name)) continue;
        complete = false;
        if (session_.SensorAt(i).Store.SampleCount == 0)
            err_ << QStringLiteral("%1 sent no sample; no file was written for it.").arg(name) << Qt::endl;
    }
    Finish(complete ? 0 : 1);
}

void Recording::Finish(int exitCode) {
    stage_ = Stage::Over;
    progress_.stop();
    durationEnd_.stop();
    driver_.Finish(exitCode);
}

}  // namespace

int RunRecordCommand(const RecordRequest& request, const QStringList& centralArguments, QTextStream& out,
                     QTextStream& err) {
    const std::unique_ptr<BleCentral> central = CreateCentral(centralArguments);
    Recording recording(request, *central, ProgramFilesOf(QCoreApplication::applicationFilePath(), QDir::currentPath()),
                        out, err);
    return recording.Run();
}
