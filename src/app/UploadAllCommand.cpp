// Upload all from the command line: the storage page's scans and its
// Upload all, driven as the window drives them, with SIGINT and SIGTERM as
// its Cancel.
#include "app/UploadAllCommand.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>
#include <memory>

#include "app/CreateCentral.h"
#include "app/HeadlessSession.h"
#include "app/ProgramFiles.h"
#include "app/RecordProgress.h"
#include "app/RecordPrompts.h"
#include "app/TerminationSignals.h"
#include "session/ExportTexts.h"
#include "session/StringTable.h"

namespace {

constexpr int ProgressMilliseconds = 1000;

UserChoices ChoicesOf(const UploadAllRequest& request) {
    UserChoices choices;
    choices.mergeAfterUpload = request.merge;
    return choices;
}

class CollectingRecords : public QObject {
public:
    CollectingRecords(const UploadAllRequest& request, BleCentral& central, const ProgramFiles& files,
                      QTextStream& out, QTextStream& err)
        : request_(request),
          central_(central),
          out_(out),
          err_(err),
          prompts_(err, {}, 0),
          driver_(central, prompts_, files, ChoicesOf(request)) {
        progress_.setInterval(ProgressMilliseconds);
        connect(&progress_, &QTimer::timeout, this, &CollectingRecords::ShowProgress);
    }

    int Run() {
        const QString problem = HeadlessStartProblem(central_, request_.folder);
        if (!problem.isEmpty()) {
            err_ << problem << Qt::endl;
            return 1;
        }
        OnTerminationSignals(*this, [this] { Stop(); });
        // Inside the event loop, so an outcome that comes at once can end it.
        QMetaObject::invokeMethod(this, [this] { Begin(); }, Qt::QueuedConnection);
        return QCoreApplication::exec();
    }

private:
    AcquisitionSession& Session() { return driver_.Session(); }

    void Begin() {
        elapsed_.start();
        Session().UploadParallel = request_.parallel;
        driver_.Start({});
        Session().PageChanged(1);  // the storage page's scans find the sensors
        progress_.start();
        Session().UploadAllInto(request_.folder, [this](const UploadAllOutcome& outcome) { Report(outcome); });
        if (!over_) ShowProgress();
    }

    void ShowProgress() {
        out_ << UploadAllProgressLine(elapsed_.elapsed() / 1000, Session().UploadAllSoFar().sensors) << Qt::endl;
    }

    // SIGINT or SIGTERM: Upload all's Cancel. What was saved stays; no other
    // sensor is cleared.
    void Stop() {
        if (!over_ && Session().UploadAllButtonCancels()) Session().UploadAllButtonClicked();
    }

    void Report(const UploadAllOutcome& outcome) {
        over_ = true;
        progress_.stop();
        if (!outcome.failure.isEmpty()) err_ << outcome.failure << Qt::endl;
        else if (outcome.sensors.isEmpty()) out_ << MsgUploadAllNothing << Qt::endl;
        const QDir folder(outcome.folder);
        for (const UploadAllSensor& sensor : outcome.sensors) {
            QStringList paths;
            for (const QString& file : sensor.files) paths << folder.filePath(file);
            // Joined, not formatted: a name may hold a '%'.
            const QString note = sensor.reason.isEmpty() ? QString() : QStringLiteral(" (") + sensor.reason + QLatin1Char(')');
            switch (sensor.progress.stage) {
                case UploadAllStage::Saved:
                    out_ << sensor.name << QStringLiteral(": saved in ") << ListOfNames(paths) << note << Qt::endl;
                    break;
                case UploadAllStage::NoData:
                    out_ << sensor.name << QStringLiteral(": no samples to upload") << Qt::endl;
                    break;
                default: {
                    // Here Cancel is a signal.
                    const QString why = sensor.progress.stage == UploadAllStage::Stopped
                                            ? QStringLiteral("stopped by SIGINT or SIGTERM")
                                            : sensor.reason;
                    err_ << sensor.name << QStringLiteral(": not saved: ") << why
                         << QStringLiteral("; the sensor keeps its log") << Qt::endl;
                }
                    break;
            }
        }
        if (!outcome.mergeProblem.isEmpty()) err_ << MsgUploadAllNotMerged.arg(outcome.mergeProblem) << Qt::endl;
        driver_.Finish(outcome.AllSaved() ? 0 : 1);
    }

    const UploadAllRequest request_;
    BleCentral& central_;
    QTextStream& out_;
    QTextStream& err_;
    RecordPrompts prompts_;
    HeadlessSession driver_;
    QTimer progress_;
    QElapsedTimer elapsed_;
    bool over_ = false;
};

}  // namespace

int RunUploadAllCommand(const UploadAllRequest& request, const QStringList& centralArguments, QTextStream& out,
                        QTextStream& err) {
    const std::unique_ptr<BleCentral> central = CreateCentral(centralArguments);
    CollectingRecords collecting(request, *central,
                                 ProgramFilesOf(QCoreApplication::applicationFilePath(), QDir::currentPath()), out, err);
    return collecting.Run();
}
