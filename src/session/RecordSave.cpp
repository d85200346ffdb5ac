// The save of the record in memory: the file dialog, the question before an
// existing file is replaced, and the write, which the writer thread does
// from a copy of the record while the window goes on. Until it reports, the
// session is Saving: nothing may change or replace the record.
#include <QFileInfo>

#include "data/Clock.h"
#include "data/CsvSaveFlow.h"
#include "data/CsvWriter.h"
#include "data/OleDate.h"
#include "prompts/Prompts.h"
#include "session/AcquisitionSession.h"
#include "session/Diagnostics.h"
#include "session/StringTable.h"

namespace {
// A write that has not ended after this long is told: the disk does not answer.
constexpr int64_t SlowSaveMilliseconds = 30000;
}  // namespace

void AcquisitionSession::SaveRecord(std::function<void(bool saved)> then) {
    if (save_.active || Store.DataSaved || Store.SampleCount == 0) {
        then(false);
        return;
    }
    AskSaveFileName([this, then](const QString& answer) {
        if (answer.isEmpty()) {
            then(false);
            return;
        }
        const QString path = WithCsvExtension(answer);
        if (!QFileInfo::exists(path)) {
            save_.then = then;
            SaveToChosenFile(path);
            return;
        }
        // Yes keeps the old file until the new one is complete; No shows the
        // dialog again.
        AskYesNo(QString::fromLatin1(OverwriteQuestionText), [this, path, then](bool overwrite) {
            if (!overwrite) {
                SaveRecord(then);
                return;
            }
            save_.then = then;
            SaveToChosenFile(path);
        });
    });
}

void AcquisitionSession::SaveToChosenFile(const QString& path) {
    save_.active = true;
    save_.path = path;
    save_.startedAt = clock_.Now();
    save_.slowTold = false;
    // Nothing that would change or replace the record may start meanwhile:
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
    SavedFileName = QFileInfo(path).fileName();
    view_->Render();
    diskWriter_.WriteRecordFile(CopyOfRecord(Store), path);
}

void AcquisitionSession::RecordFileWritten(const QString& path, int result, const QString& error,
                                           double recordEndTime) {
    FlowInput input(*this, "the disk's report");
    if (!save_.active || path != save_.path) return;
    const std::function<void(bool)> then = std::move(save_.then);
    const ControlStates before = save_.before;
    save_ = {};
    Controls.OpenEnabled = before.OpenEnabled;
    Controls.EditEnabled = before.EditEnabled;
    Controls.ClearInitPointsEnabled = before.ClearInitPointsEnabled;
    Controls.ResetEnabled = before.ResetEnabled;
    Controls.ConnectEnabled = before.ConnectEnabled;
    Controls.StorageTabVisible = before.StorageTabVisible;
    Controls.Busy = before.Busy;

    const CsvWriteOutcome outcome{static_cast<CsvWriteResult>(result), error};
    // The file gave the record its end time once it was created.
    if (outcome.result != CsvWriteResult::CannotCreate) Store.RecordEndTime = recordEndTime;
    if (outcome.result != CsvWriteResult::Written) {
        qCWarning(lcSession) << "the record was not saved to" << path << ":" << error;
        Controls.SaveEnabled = !Store.DataSaved;
        view_->Render();
        prompts_.Error(SaveFailureText(outcome, path));
        if (then) then(false);
        return;
    }
    Store.DataSaved = true;
    Controls.SaveEnabled = false;
    EndJournal();
    view_->Render();
    WriteSnirfBesideRecord(path, [then] {
        if (then) then(true);
    });
}

// A save that does not end is told once; it goes on, as the disk has it.
void AcquisitionSession::FollowSave() {
    if (!save_.active || save_.slowTold) return;
    if (OleDateToMilliseconds(clock_.Now()) - OleDateToMilliseconds(save_.startedAt) < SlowSaveMilliseconds) return;
    save_.slowTold = true;
    qCWarning(lcSession) << "the save to" << save_.path << "has not ended yet";
    ErrorAfterHandler(MsgSaveSlow.arg(QFileInfo(save_.path).fileName()));
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
        Controls.SaveEnabled = !Store.DataSaved;
        view_->Render();
    });
}
