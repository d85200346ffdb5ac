// Closing the program: what must be asked first, and what is left in order
// when it closes.
#include "link/Commands.h"
#include "link/LinkOperations.h"
#include "prompts/Prompts.h"
#include "session/AcquisitionSession.h"
#include "session/StringTable.h"

bool AcquisitionSession::MayClose() {
    FlowInput input(*this, "the close request");
    if (asking_) return false;  // the open question comes first
    if (ConnectButtonTag() == 1) {
        prompts_.Notice(MsgDisconnectToTerminate);
        return false;
    }
    if (save_.active) {
        prompts_.Notice(MsgWaitForSave);
        return false;
    }
    // Work that runs on its own is not dropped without a word either.
    QStringList questions;
    if (UploadOkButtonTag() == 1) questions << MsgExitDuringUpload;
    if (UploadAllButtonCancels()) questions << MsgExitDuringUploadAll;
    if (StartButtonTag() == 1) questions << MsgExitDuringEventLog;
    else if (RemoteOffRequest || remotePass_.active) questions << MsgExitBeforeRemoteOff;
    SettleDiskWrites();
    if (unwrittenEventLogMarks_ > 0)
        questions << (unwrittenEventLogDurable_ ? MsgExitWithPendingMarks : MsgExitLosingMarks)
                         .arg(unwrittenEventLogMarks_);
    if (AnyRecordUnsaved()) questions << MsgExitWithoutSaving;

    closing_ = {true, false};
    AskBeforeClosing(questions);
    closing_.insideMayClose = false;
    return closing_.agreedWithin;
}

// One question after the other; No to any keeps the program open.
void AcquisitionSession::AskBeforeClosing(QStringList questions) {
    if (questions.isEmpty()) {
        CloseAgreed();
        return;
    }
    const QString question = questions.takeFirst();
    AskYesNo(question, [this, question, questions](bool yes) {
        if (!yes) return;
        if (question == MsgExitWithoutSaving)
            for (const auto& sensor : sensors_) sensor->Store.DataSaved = true;
        AskBeforeClosing(questions);
    });
}

// The reminder is read before the window goes.
void AcquisitionSession::CloseAgreed() {
    Ask([this, answered = WhenAnswered<bool>([this](bool) {
             if (closing_.insideMayClose) closing_.agreedWithin = true;
             else view_->CloseWindow();
         })] { prompts_.Acknowledge(MsgTurnOffDevice, answered); });
}

void AcquisitionSession::Closing() {
    // Saved, or discarded after the question; otherwise the journal stays
    // for the next start.
    for (const auto& sensor : sensors_)
        if (sensor->Store.DataSaved) EndJournal(*sensor);
    if (Store.UploadActive) {
        // The sensor keeps its log; it is told to stop sending it.
        Store.UploadActive = false;
        SendGetLogCancel(Link, central_, clock_);
        Disconnect(Link, central_);
    }
    StopUploadAllForClosing();
    CloseExternalInput();
    // The journal's last batch or its removal, and a last try of the event log file.
    FollowJournal();
    RetryUnwrittenEventLog();
    diskWriter_.WaitUntilIdle();
}
