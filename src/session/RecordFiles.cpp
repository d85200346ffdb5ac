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
        // The records it replaced were saved or discarded after the question.
        KeepOnlyTheFirstSensor();
        EndJournal(SensorAt(0));
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
        Controls.SaveEnabled = AnyRecordUnsaved();
        view_->Render();
    }
    view_->RepaintTrend();
}

void AcquisitionSession::MergeClicked() {
    FlowInput input(*this, "the Merge click");
    if (!ClickAllowed("Merge") || save_.active || Shown().Store.SampleCount == 0) return;
    if (!QFileInfo::exists(EventLogFileName)) return;
    AskOkCancel(MsgMergeQuestion, [this](bool ok) {
        if (ok && !save_.active) MergeEventLog(false);
    });
}

// The PC's event log put into the records as event marks (all of them: the
// sensors measured together); mo is the silent merge of an upload.
void AcquisitionSession::MergeEventLog(bool mo) {
    if (!QFileInfo::exists(EventLogFileName)) return;
    // The whole log is read before any mark is touched, so a read failure
    // leaves the records' marks as they were.
    QList<EventLogRecord> records;
    QString error;
    if (!ReadEventLog(EventLogFileName, records, &error)) {
        prompts_.Error(MsgEventLogUnreadable.arg(error));
        return;
    }
    int shownMerged = 0;
    bool changed = false;
    for (const auto& sensor : sensors_) {
        if (sensor->Store.SampleCount == 0) continue;
        const MergeOutcome outcome = MergeEventMarks(sensor->Store, records);
        if (sensor.get() == &Shown()) shownMerged = outcome.merged;
        if (mo || (outcome.cleared == 0 && outcome.merged == 0)) continue;
        changed = true;
        sensor->Store.DataSaved = false;
        JournalRecordChanged(*sensor, false);
    }
    if (mo) return;

    prompts_.Notice(MsgMergedCount.arg(shownMerged));
    if (changed) {
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
    if (Measuring()) {
        // Every sensor of the measurement is re-zeroed at once.
        for (const auto& sensor : sensors_)
            DecideValueInitialization(sensor->Link, central_, clock_, sensor->Store, View.CursorChannel,
                                      View.CursorIndex);
        return;
    }
    switch (DecideValueInitialization(Shown().Link, central_, clock_, Shown().Store, View.CursorChannel,
                                      View.CursorIndex)) {
        case ResetButtonOutcome::PointInserted:
            JournalRecordChanged(Shown(), true);
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
    if (!ClickAllowed("Clear value-initialization points") || Shown().Store.SampleCount == 0 || save_.active) return;
    AskOkCancel(MsgClearInitPoints, [this](bool ok) {
        if (!ok || save_.active) return;
        if (ClearInitPoints(Shown().Store) > 0) {
            JournalRecordChanged(Shown(), true);
            Controls.SaveEnabled = true;
            view_->Render();
        }
        view_->RepaintTrend();
    });
}
