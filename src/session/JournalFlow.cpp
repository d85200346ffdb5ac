// The crash journal of the record in memory, from the start of a measurement
// or an upload until the record is saved or discarded. The writer thread
// writes it; this side decides when and what.
#include "session/AcquisitionSession.h"
#include "session/Diagnostics.h"
#include "session/StringTable.h"

void AcquisitionSession::BeginJournal(JournalKind kind) {
    // The record it replaces was saved or discarded after the question.
    EndJournal();
    journalling_ = true;
    journalKind_ = kind;
    FollowJournal();
}

void AcquisitionSession::EndJournal() {
    if (!journalChanges_.Path().isEmpty()) diskWriter_.RemoveJournal(journalChanges_.Path());
    journalChanges_.Reset();
    journalling_ = false;
    journalBehind_ = false;
    journalFailureShown_ = false;
}

void AcquisitionSession::JournalRecordChanged(bool inPlace) {
    if (!journalling_) {
        // A record from a file, changed: journalled whole from now on.
        journalling_ = true;
        journalKind_ = JournalKind::EditedRecord;
    } else if (inPlace) {
        journalChanges_.Rewrite();
    }
    FollowJournal();
}

JournalHeader AcquisitionSession::CurrentJournalHeader() const {
    JournalHeader header;
    header.kind = journalKind_;
    // While a record is made, the name it will be saved under is the one the
    // sensor reported; the record takes it at its end.
    header.deviceId = journalKind_ != JournalKind::EditedRecord && !Store.ReceivedDeviceId.isEmpty()
                          ? Store.ReceivedDeviceId
                          : Store.RecordDeviceId;
    header.rateIndex = Store.RecordRateIndex;
    header.startTime = Store.RecordStartTime;
    return header;
}

// What changed since the last tick goes to the writer thread; a batch the
// disk did not take is tried again with the next, even an empty one.
void AcquisitionSession::FollowJournal() {
    if (!journalling_) return;
    JournalBatch batch = journalChanges_.Take(Store, CurrentJournalHeader());
    if (batch.entries.empty() && !journalBehind_) return;
    diskWriter_.WriteJournal(std::move(batch));
}

void AcquisitionSession::JournalWritten(const QString& path, bool written, bool wholeNeeded, const QString& error) {
    FlowInput input(*this, "the disk's report");
    if (path != journalChanges_.Path()) return;  // a journal that has gone since
    if (wholeNeeded) journalChanges_.Rewrite();
    journalBehind_ = !written;
    if (written) {
        journalFailureShown_ = false;
        return;
    }
    qCWarning(lcSession) << "the crash journal was not written:" << error;
    if (journalFailureShown_) return;
    journalFailureShown_ = true;
    ErrorAfterHandler(MsgJournalNotWritten.arg(error));
}
