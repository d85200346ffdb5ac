// The save of the records in memory: the file dialog, the question before an
// existing file is replaced, and the writes, which the writer thread does
// from copies of the records while the window goes on. Until it reports, the
// session is Saving: nothing may change or replace a record. The records of
// several sensors are saved under one name, a file each, named by sensor.
#include <QDir>
#include <QFileInfo>

#include "data/Clock.h"
#include "data/CsvSaveFlow.h"
#include "data/CsvWriter.h"
#include "data/OleDate.h"
#include "prompts/Prompts.h"
#include "session/AcquisitionSession.h"
#include "session/Diagnostics.h"
#include "session/ExportTexts.h"
#include "session/StringTable.h"

namespace {
// A write that has not ended after this long is told: the disk does not answer.
constexpr int64_t SlowSaveMilliseconds = 30000;
}  // namespace

// The sensors whose records are not saved, each with its file: the chosen
// one, or with several sensors "<chosen>_<sensor>.csv".
QList<std::pair<int, QString>> AcquisitionSession::FilesOfSave(const QString& chosen) const {
    QList<std::pair<int, QString>> files;
    const QFileInfo name(chosen);
    for (int i = 0; i < SensorCount(); ++i) {
        const SampleStore& store = SensorAt(i).Store;
        if (store.SampleCount == 0 || store.DataSaved) continue;
        if (SensorCount() == 1) {
            files.append({i, chosen});
            continue;
        }
        const QString sensorName = store.RecordDeviceId.isEmpty() ? SensorAt(i).Name() : store.RecordDeviceId;
        files.append({i, name.dir().filePath(name.completeBaseName() + QLatin1Char('_') + sensorName +
                                             QLatin1Char('.') + name.suffix())});
    }
    return files;
}

void AcquisitionSession::SaveRecord(std::function<void(bool saved)> then) {
    if (save_.active || !AnyRecordToLose()) {
        then(false);
        return;
    }
    AskSaveFileName([this, then](const QString& answer) {
        if (answer.isEmpty()) {
            then(false);
            return;
        }
        const QList<std::pair<int, QString>> files = FilesOfSave(WithCsvExtension(answer));
        bool exists = false;
        for (const auto& file : files) exists = exists || QFileInfo::exists(file.second);
        if (!exists) {
            save_.then = then;
            SaveToChosenFiles(files);
            return;
        }
        // Yes keeps the old files until the new ones are complete; No shows
        // the dialog again.
        AskYesNo(QString::fromLatin1(OverwriteQuestionText), [this, files, then](bool overwrite) {
            if (!overwrite) {
                SaveRecord(then);
                return;
            }
            save_.then = then;
            SaveToChosenFiles(files);
        });
    });
}

void AcquisitionSession::SaveToChosenFiles(const QList<std::pair<int, QString>>& files) {
    save_.active = true;
    save_.files = files;
    save_.written.clear();
    save_.failed = false;
    save_.startedAt = clock_.Now();
    save_.slowTold = false;
    // Nothing that would change or replace a record may start meanwhile:
    // not Start, not the storage page (its uploads and event log), no file
    // or Edit command.
    save_.before = Controls;
    Controls.OpenEnabled = false;
    Controls.SaveEnabled = false;
    Controls.EditEnabled = false;
    Controls.ClearInitPointsEnabled = false;
    Controls.ResetEnabled = false;
    Controls.ConnectEnabled = false;
    Controls.StorageTabVisible = false;
    Controls.Busy = true;
    SavedFileName = QFileInfo(files.constFirst().second).fileName();
    view_->Render();
    for (const auto& [sensor, path] : files) diskWriter_.WriteRecordFile(CopyOfRecord(SensorAt(sensor).Store), path);
}

void AcquisitionSession::RecordFileWritten(const QString& path, int result, const QString& error,
                                           double recordEndTime) {
    FlowInput input(*this, "the disk's report");
    if (UploadAllRun::Upload* upload = UploadOfRecordFile(path)) {
        UploadAllRecordWritten(*upload, result, error, recordEndTime);
        return;
    }
    if (!save_.active) return;
    const auto file = std::find_if(save_.files.begin(), save_.files.end(),
                                   [&](const std::pair<int, QString>& f) { return f.second == path; });
    if (file == save_.files.end()) return;
    Sensor& sensor = SensorAt(file->first);
    save_.files.erase(file);

    const CsvWriteOutcome outcome{static_cast<CsvWriteResult>(result), error};
    // The file gave the record its end time once it was created.
    if (outcome.result != CsvWriteResult::CannotCreate) sensor.Store.RecordEndTime = recordEndTime;
    if (outcome.result == CsvWriteResult::Written) {
        sensor.Store.DataSaved = true;
        EndJournal(sensor);
        save_.written << QFileInfo(path).fileName();
    } else {
        qCWarning(lcSession) << "the record was not saved to" << path << ":" << error;
        save_.failed = true;
        prompts_.Error(SaveFailureText(outcome, path));
    }
    if (!save_.files.isEmpty()) return;  // the others are still being written

    const std::function<void(bool)> then = std::move(save_.then);
    const ControlStates before = save_.before;
    const bool saved = !save_.failed;
    savedFiles_ = save_.written;
    save_ = {};
    Controls.OpenEnabled = before.OpenEnabled;
    Controls.EditEnabled = before.EditEnabled;
    Controls.ClearInitPointsEnabled = before.ClearInitPointsEnabled;
    Controls.ResetEnabled = before.ResetEnabled;
    Controls.ConnectEnabled = before.ConnectEnabled;
    Controls.StorageTabVisible = before.StorageTabVisible;
    Controls.Busy = before.Busy;
    Controls.SaveEnabled = AnyRecordUnsaved();
    view_->Render();
    if (!saved) {
        if (then) then(false);
        return;
    }
    WriteSnirfBesideRecord(path, [then] {
        if (then) then(true);
    });
}

// A save that does not end is told once; it goes on, as the disk has it.
void AcquisitionSession::FollowSave() {
    if (!save_.active || save_.slowTold) return;
    if (OleDateToMilliseconds(clock_.Now()) - OleDateToMilliseconds(save_.startedAt) < SlowSaveMilliseconds) return;
    save_.slowTold = true;
    qCWarning(lcSession) << "the save has not ended yet";
    QStringList names;
    for (const auto& file : save_.files) names << QFileInfo(file.second).fileName();
    ErrorAfterHandler(MsgSaveSlow.arg(ListOfNames(names)));
}

void AcquisitionSession::SaveRecordAndTell(std::function<void()> then) {
    SaveRecord([this, then](bool saved) {
        if (saved) prompts_.Notice(SavedFilesText() + MsgCreatedSuffix);
        then();
    });
}

void AcquisitionSession::SaveClicked() {
    FlowInput input(*this, "the Save click");
    if (!ClickAllowed("Save") || save_.active) return;
    if (activity_ != SessionMode::Idle) return;  // a record still being made is saved at its end
    SaveRecordAndTell([this] {
        Controls.SaveEnabled = AnyRecordUnsaved();
        view_->Render();
    });
}
