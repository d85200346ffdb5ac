// The record in memory and its files: "Save", "Open", the event merge, the
// value-initialization points, and what closing the program asks.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "data/CsvOpenFlow.h"
#include "data/CsvSaveFlow.h"
#include "export/SnirfWriter.h"
#include "data/ValueInitialization.h"
#include "link/Commands.h"
#include "link/LinkOperations.h"
#include "prompts/Prompts.h"
#include "session/AcquisitionSession.h"
#include "session/Diagnostics.h"
#include "session/ExportTexts.h"
#include "session/StringTable.h"
#include "storage/EventMerge.h"

bool AcquisitionSession::SaveRecord() {
    if (Doing(SessionMode::Saving)) return false;
    // The save lets the window run every few rows; meanwhile no other file
    // command may start.
    // Nor may anything change the record: the file would mix old and new.
    Operation saving(*this, SessionMode::Saving);
    // Nor may a new record replace it: "Start" and the storage page (its
    // uploads and event log) wait too. The page cannot change meanwhile,
    // so the states before the save are the states after it.
    const ControlStates before = Controls;
    Controls.OpenEnabled = false;
    Controls.SaveEnabled = false;
    Controls.EditEnabled = false;
    Controls.ClearInitPointsEnabled = false;
    Controls.ResetEnabled = false;
    Controls.ConnectEnabled = false;
    Controls.StorageTabVisible = false;
    view_->Render();
    QString savedPath;
    const bool saved =
        Save(Store, prompts_, DataFolder, SavedFileName, [] { QCoreApplication::processEvents(); }, &savedPath);
    if (saved) {
        EndJournal();
        WriteSnirfBesideRecord(savedPath);
    }
    Controls.OpenEnabled = before.OpenEnabled;
    Controls.EditEnabled = before.EditEnabled;
    Controls.ClearInitPointsEnabled = before.ClearInitPointsEnabled;
    Controls.ResetEnabled = before.ResetEnabled;
    Controls.ConnectEnabled = before.ConnectEnabled;
    Controls.StorageTabVisible = before.StorageTabVisible;
    Controls.SaveEnabled = !Store.DataSaved;
    view_->Render();
    return saved;
}

bool AcquisitionSession::SaveRecordAndTell() {
    if (!SaveRecord()) return false;
    prompts_.Notice(SavedFilesText() + MsgCreatedSuffix);
    return true;
}

void AcquisitionSession::SaveClicked() {
    SaveRecordAndTell();
    Controls.SaveEnabled = !Store.DataSaved;
    view_->Render();
}

void AcquisitionSession::OpenClicked() {
    if (Doing(SessionMode::Saving)) return;
    const OpenRecordOutcome outcome = OpenRecord(Store, prompts_, DataFolder, [this](bool busy) {
        SetBusy(busy);
        if (busy) QCoreApplication::processEvents();
    });
    SetBusy(false);
    ShowOpenedRecord(outcome);
}

void AcquisitionSession::ShowOpenedRecord(const OpenRecordOutcome& outcome) {
    if (outcome.sampleCursorCleared) {
        View.CursorChannel = -1;
        View.CursorIndex = -1;
    }
    if (outcome.recordReplaced) {
        // The record it replaced was saved or discarded after the question.
        EndJournal();
        EndReviewAndOverview();
        Controls.ClearInitPointsEnabled = false;
        Controls.EditEnabled = outcome.editMenuEnabled;
        view_->ShowStatusText(outcome.statusText);
        view_->ShowViewControlsFor(false);
        if (outcome.scrollBar == ScrollBarUpdate::ApplyScrollRangeRule) ShowRecordEndInView();
        else if (outcome.scrollBar == ScrollBarUpdate::Hide) {
            View.ScrollVisible = false;
            view_->RenderTrendView();
        }
        Controls.SaveEnabled = !Store.DataSaved;
        view_->Render();
    }
    view_->RepaintTrend();
}

bool AcquisitionSession::ExportAllowed() const {
    return Store.SampleCount > 0 && !Store.CheckSensorsMode && !Doing(SessionMode::Saving);
}

// Writes the record as it is now; the writer does not yield, so the record
// cannot change under it.
void AcquisitionSession::ExportSnirfClicked() {
    if (!ExportAllowed()) return;
    QString path;
    for (;;) {
        path = prompts_.SnirfFileName(DataFolder, QString());
        if (path.isEmpty()) return;
        if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".snirf");
        if (!QFileInfo::exists(path) || prompts_.AskYesNo(QString::fromLatin1(OverwriteQuestionText))) break;
    }
    const std::optional<QString> subject = prompts_.AskText(MsgSnirfSubjectQuestion, Exports.Subject);
    if (!subject) return;
    Exports.Subject = subject->trimmed();
    SetBusy(true);
    const SnirfWriteOutcome outcome = WriteSnirfFile(Store, path, Exports.Subject);
    SetBusy(false);
    if (!outcome.written) {
        prompts_.Error(QStringLiteral("Unable to export %1 (%2). An existing file of that name is unchanged.")
                           .arg(QDir::toNativeSeparators(path), outcome.reason));
        return;
    }
    prompts_.Notice(QFileInfo(path).fileName() + MsgCreatedSuffix);
}

void AcquisitionSession::MergeClicked() {
    if (Doing(SessionMode::Saving)) return;
    if (Store.SampleCount != 0) MergeEventLog(false);
}

// The PC's event log put into the record as event marks; mo is the silent
// merge of an upload.
void AcquisitionSession::MergeEventLog(bool mo) {
    if (!QFileInfo::exists(EventLogFileName)) return;
    if (!mo && !prompts_.AskOkCancel(MsgMergeQuestion)) return;

    // The whole log is read before any mark is touched, so a read failure
    // leaves the record's marks as they were.
    QList<EventLogRecord> records;
    QString error;
    if (!ReadEventLog(EventLogFileName, records, &error)) {
        prompts_.Error(MsgEventLogUnreadable.arg(error));
        return;
    }
    const MergeOutcome outcome = MergeEventMarks(Store, records);
    if (mo) return;

    prompts_.Notice(MsgMergedCount.arg(outcome.merged));
    if (outcome.cleared != 0 || outcome.merged != 0) {
        Store.DataSaved = false;
        JournalRecordChanged(false);
        Controls.SaveEnabled = true;
        view_->Render();
    }
    view_->RepaintTrend();
}

// Re-zeroes the live sensor, or inserts a value-initialization point at the
// sample cursor of an uploaded record.
void AcquisitionSession::ValueInitializationClicked() {
    if (Doing(SessionMode::Saving)) return;
    switch (DecideValueInitialization(Link, central_, clock_, Store, View.CursorChannel, View.CursorIndex)) {
        case ResetButtonOutcome::PointInserted:
            JournalRecordChanged(true);
            Controls.ResetEnabled = false;
            Controls.SaveEnabled = true;
            view_->Render();
            view_->RepaintTrend();
            break;
        case ResetButtonOutcome::PointRefused:
            Controls.ResetEnabled = false;
            view_->Render();
            break;
        case ResetButtonOutcome::SentToSensor:
        case ResetButtonOutcome::Nothing:
            break;
    }
}

// Back to the sensor's own references.
void AcquisitionSession::ClearInitPointsClicked() {
    if (Store.SampleCount == 0 || Doing(SessionMode::Saving)) return;
    if (!prompts_.AskOkCancel(MsgClearInitPoints)) return;
    if (ClearInitPoints(Store) > 0) {
        JournalRecordChanged(true);
        Controls.SaveEnabled = true;
        view_->Render();
    }
    view_->RepaintTrend();
}

bool AcquisitionSession::MayClose() {
    if (ConnectButtonTag() == 1) {
        prompts_.Notice(MsgDisconnectToTerminate);
        return false;
    }
    // Work that runs on its own is not dropped without a word either.
    if (UploadOkButtonTag() == 1 && !prompts_.AskYesNo(MsgExitDuringUpload)) return false;
    if (StartButtonTag() == 1 && !prompts_.AskYesNo(MsgExitDuringEventLog)) return false;
    SettleDiskWrites();
    if (unwrittenEventLogMarks_ > 0 &&
        !prompts_.AskYesNo((unwrittenEventLogDurable_ ? MsgExitWithPendingMarks : MsgExitLosingMarks)
                               .arg(unwrittenEventLogMarks_)))
        return false;
    if (!Store.DataSaved) {
        if (!prompts_.AskYesNo(MsgExitWithoutSaving)) return false;
        Store.DataSaved = true;
    }
    prompts_.Notice(MsgTurnOffDevice);
    return true;
}

void AcquisitionSession::Closing() {
    // Saved, or discarded after the question; otherwise the journal stays
    // for the next start.
    if (Store.DataSaved) EndJournal();
    if (Store.UploadActive) {
        // The sensor keeps its log; it is told to stop sending it.
        Store.UploadActive = false;
        SendGetLogCancel(Link, central_, clock_);
        Disconnect(Link, central_);
    }
    CloseExternalInput();
    // The journal's last batch or its removal, and a last try of the event log file.
    FollowJournal();
    RetryUnwrittenEventLog();
    diskWriter_.WaitUntilIdle();
}

// Only with both tabs showing can the user switch; a running measurement,
// upload or event log hides the other tab.
void AcquisitionSession::PageChanged(int page) {
    if (!Controls.RealTimeTabVisible || !Controls.StorageTabVisible || Doing(SessionMode::Saving)) return;
    CurrentPage = page;
    if (page == 1) {
        Controls.StorageMessage.clear();
        Controls.SaveEnabled = false;
        Controls.OpenEnabled = false;
        Controls.EditEnabled = false;
        view_->Render();
        // A discovery started less than 6000 ms ago still serves this page.
        if (DiscoveryWatchdogRunning) return;
        ResetDeviceTable(Devices);
        if (!StartDiscovery()) qCWarning(lcStorage) << "the storage page stays without scanning";
    } else {
        Controls.SaveEnabled = !Store.DataSaved;
        Controls.OpenEnabled = true;
        Controls.EditEnabled = true;
        view_->Render();
    }
}
