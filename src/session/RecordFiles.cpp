// The record in memory and its files: "Open", the event merge and the
// value-initialization points.
#include <QFileInfo>

#include "data/CsvOpenFlow.h"
#include "data/ValueInitialization.h"
#include "link/Commands.h"
#include "prompts/Prompts.h"
#include "session/AcquisitionSession.h"
#include "session/Diagnostics.h"
#include "session/StringTable.h"
#include "storage/EventMerge.h"

void AcquisitionSession::OpenClicked() {
    FlowInput input(*this, "the Open click");
    if (!ClickAllowed("Open") || activity_ != SessionMode::Idle || save_.active) return;
    ConfirmDiscard([this] {
        AskOpenFileName([this](const QString& path) {
            if (!path.isEmpty()) OpenChosenFile(path);
        });
    });
}

void AcquisitionSession::OpenChosenFile(const QString& path) {
    if (activity_ != SessionMode::Idle || save_.active) return;
    const OpenRecordOutcome outcome = OpenRecordFile(Store, prompts_, path, [this](bool busy) { SetBusy(busy); });
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

void AcquisitionSession::MergeClicked() {
    FlowInput input(*this, "the Merge click");
    if (!ClickAllowed("Merge") || save_.active || Store.SampleCount == 0) return;
    if (!QFileInfo::exists(EventLogFileName)) return;
    AskOkCancel(MsgMergeQuestion, [this](bool ok) {
        if (ok && !save_.active) MergeEventLog(false);
    });
}

// The PC's event log put into the record as event marks; mo is the silent
// merge of an upload.
void AcquisitionSession::MergeEventLog(bool mo) {
    if (!QFileInfo::exists(EventLogFileName)) return;
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
    FlowInput input(*this, "the Value-Initialization click");
    if (!ClickAllowed("Value-Initialization") || save_.active) return;
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
    FlowInput input(*this, "the Clear value-initialization points click");
    if (!ClickAllowed("Clear value-initialization points") || Store.SampleCount == 0 || save_.active) return;
    AskOkCancel(MsgClearInitPoints, [this](bool ok) {
        if (!ok || save_.active) return;
        if (ClearInitPoints(Store) > 0) {
            JournalRecordChanged(true);
            Controls.SaveEnabled = true;
            view_->Render();
        }
        view_->RepaintTrend();
    });
}
