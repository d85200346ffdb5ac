// Renders the manual's pictures from the real main window on simulated
// sensors: the real-time page while measuring, the connection dialog, the
// storage page with sensors, the upload panel and Upload all under way. Runs at build time on the
// offscreen platform, so the pictures show the window as it is built.
//   tq580_manual_pictures OUTPUT_FOLDER
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "app/ConnectionDialog.h"
#include "app/PrintPrompts.h"
#include "app/TForm1.h"
#include "app/TForm2.h"
#include "data/Clock.h"
#include "data/OleDate.h"
#include "prompts/Prompts.h"
#include "sim/SimulatedCentral.h"

namespace {

QString outputFolder;
bool allSaved = true;

void Save(QWidget& widget, const QString& name) {
    const QString path = QDir(outputFolder).filePath(name);
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        allSaved = false;
    }
}

// Answers as a user taking the pictures would: the connection dialog is
// photographed and accepted on its first sensor, everything else declined.
class PicturePrompts : public Prompts, public PrintPrompts {
public:
    TForm2* dialog = nullptr;
    void Error(const QString&) override {}
    void Notice(const QString&) override {}
    void AskYesNo(const QString&, Answered<bool> answered) override { answered(false); }
    void AskOkCancel(const QString&, Answered<bool> answered) override { answered(false); }
    void SaveFileName(const QString&, const QString&, Answered<QString> answered) override { answered({}); }
    void OpenFileName(const QString&, Answered<QString> answered) override { answered({}); }
    void SnirfFileName(const QString&, const QString&, Answered<QString> answered) override { answered({}); }
    void ConnectionSettings(const ConnectionOffer& offer, Answered<std::optional<ConnectionChoice>> answered) override {
        if (offer.deviceNames.isEmpty()) {
            answered(std::nullopt);
            return;
        }
        FillConnectionDialog(*dialog, offer);
        dialog->show();
        QCoreApplication::processEvents();
        Save(*dialog, QStringLiteral("connection-dialog.png"));
        dialog->hide();
        answered(ConnectionChoice{offer.deviceNames.constFirst(), 0, false});
    }
    void PrintSetup(QPrinter&) override {}
    bool Print(QPrinter&) override { return false; }
};

SimulatedSensorSpec Sensor(const QString& name, int stored, bool logging = false) {
    SimulatedSensorSpec sensor;
    sensor.name = name;
    sensor.storedSamples = stored;
    sensor.storedRateIndex = 4;
    sensor.logging = logging;
    return sensor;
}

// Three more waiting sensors with stored records, for Upload all.
QList<SimulatedSensorSpec> MoreStoredRecords() {
    return {Sensor(QStringLiteral("Tq580-100000-004"), 9000), Sensor(QStringLiteral("Tq580-100000-005"), 6000),
            Sensor(QStringLiteral("Tq580-100000-006"), 4000)};
}

// The window on its own clock: time moves only in Advance, and the window's
// timers fire by that clock, so every picture shows the same moment.
class PictureSession {
public:
    explicit PictureSession(const QString& programFolder, const QList<SimulatedSensorSpec>& more = {}) {
        SimulationOptions options;
        options.sensors = {Sensor(QStringLiteral("Tq580-100000-001"), 3000), Sensor(QStringLiteral("Tq580-100000-002"), 0),
                           Sensor(QStringLiteral("Tq580-100000-003"), 50, true)};
        options.sensors += more;
        options.tickIntervalMilliseconds = 0;
        options.clock = clock;
        simulator = CreateSimulatedCentral(options);
        window = std::make_unique<TForm1>(TForm1Dependencies{*simulator, prompts, prompts, *clock,
                                                             QDir(programFolder).filePath(QStringLiteral("tq580")),
                                                             programFolder, [](const QUrl&) { return true; }});
        prompts.dialog = window->Form2;
        window->Timer1->stop();
        window->Timer2->setInterval(24 * 3600 * 1000);
        window->show();
        QCoreApplication::processEvents();
    }

    void Advance(int64_t milliseconds) {
        for (int64_t done = 0; done < milliseconds; done += StepMilliseconds) {
            clock->AdvanceMilliseconds(StepMilliseconds);
            elapsed += StepMilliseconds;
            simulator->Tick();
            QCoreApplication::processEvents();
            if (!window->Timer2->isActive()) timer2StartedAt = -1;
            else if (timer2StartedAt < 0) timer2StartedAt = elapsed;
            else if (elapsed - timer2StartedAt >= 6000) {
                timer2StartedAt = -1;
                window->Timer2Timer();
            }
            if (elapsed >= nextTimer1) {
                nextTimer1 += 500;
                window->Timer1Timer();
            }
        }
    }

    static constexpr int StepMilliseconds = 10;
    std::shared_ptr<SettableClock> clock = std::make_shared<SettableClock>(*OleDateFromParts({2026, 12, 10, 9, 59, 58, 0}));
    std::unique_ptr<SimulatedCentral> simulator;
    PicturePrompts prompts;
    std::unique_ptr<TForm1> window;
    int64_t elapsed = 0;
    int64_t nextTimer1 = 500;
    int64_t timer2StartedAt = -1;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    outputFolder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(outputFolder);
    QTemporaryDir programFolder;
    {
        PictureSession realTime(programFolder.path());
        realTime.window->ConnectButton->click();
        realTime.Advance(5500);
        realTime.Advance(20000);
        Save(*realTime.window, QStringLiteral("real-time-page.png"));
    }
    {
        PictureSession storage(programFolder.path());
        storage.window->PageControl1->setCurrentIndex(1);
        storage.Advance(5500);
        Save(*storage.window, QStringLiteral("storage-page.png"));
        for (int i = 0; i < DeviceTableSize; ++i)  // the sensor with a log to upload
            if (storage.window->Session.Devices[i].id == QStringLiteral("Tq580-100000-001"))
                storage.window->DrawGrid1->setCurrentCell(i + 1, 0);
        storage.window->UploadButton->click();
        storage.Advance(3000);
        Save(*storage.window, QStringLiteral("upload-panel.png"));
    }
    {
        // A folder of its own: the upload above left its record's crash journal.
        QTemporaryDir collectingFolder;
        PictureSession collecting(collectingFolder.path(), MoreStoredRecords());
        collecting.window->PageControl1->setCurrentIndex(1);
        collecting.Advance(5500);
        collecting.window->UploadAllButton->click();
        collecting.Advance(9000);
        Save(*collecting.window, QStringLiteral("upload-all.png"));
    }
    return allSaved ? 0 : 1;
}
