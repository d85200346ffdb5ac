// The crash journal of the record in memory, from the start of a measurement
// or an upload until the record is saved or discarded, and the recovery of
// journals a crash left behind.
#include <QDir>
#include <QFileInfo>

#include "data/CsvOpenFlow.h"
#include "journal/JournalRecovery.h"
#include "prompts/Prompts.h"
#include "session/AcquisitionSession.h"
#include "session/Diagnostics.h"
#include "session/StringTable.h"

void AcquisitionSession::BeginJournal(JournalKind kind) {
    // The record it replaces was saved or discarded after the question.
    journal_.Remove();
    journalling_ = true;
    journalKind_ = kind;
    FollowJournal();
}

void AcquisitionSession::EndJournal() {
    journal_.Remove();
    journalling_ = false;
    journalFailureShown_ = false;
}

void AcquisitionSession::JournalRecordChanged(bool inPlace) {
    if (!journalling_) {
        // A record from a file, changed: journalled whole from now on.
        journalling_ = true;
        journalKind_ = JournalKind::EditedRecord;
    } else if (inPlace) {
        journal_.Rewrite();
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

void AcquisitionSession::FollowJournal() {
    if (!journalling_) return;
    QString error;
    if (journal_.Follow(Store, CurrentJournalHeader(), &error)) {
        journalFailureShown_ = false;
        return;
    }
    qCWarning(lcSession) << "the crash journal was not written:" << error;
    if (journalFailureShown_) return;
    journalFailureShown_ = true;  // before the message: its event loop runs the ticks
    prompts_.Error(MsgJournalNotWritten.arg(error));
}

void AcquisitionSession::RecoverRecords() {
    const QList<RecoveredJournal> results = RecoverJournals(DataFolder, Store);
    // The store was the work area: it holds no record of this program yet.
    ResetRecord(Store);
    Store.DataSaved = true;
    Store.RecordFull = false;
    Store.SequenceGap = false;

    QStringList recovered;
    QStringList notes;
    for (const RecoveredJournal& result : results) {
        const QString journal = QDir::toNativeSeparators(result.journalPath);
        switch (result.outcome) {
            case RecoveredJournal::Outcome::Recovered:
                recovered << QDir::toNativeSeparators(result.recordPath);
                break;
            case RecoveredJournal::Outcome::RecoveredPart:
                recovered << QDir::toNativeSeparators(result.recordPath);
                notes << MsgRecordRecoveredPart.arg(result.samples).arg(QDir::toNativeSeparators(result.asidePath));
                break;
            case RecoveredJournal::Outcome::Unreadable:
                notes << MsgJournalUnreadable.arg(result.reason, QDir::toNativeSeparators(result.asidePath));
                break;
            case RecoveredJournal::Outcome::NotWritten:
                notes << MsgJournalNotRecovered.arg(result.reason, journal);
                break;
            case RecoveredJournal::Outcome::NothingToRecover:
                qCInfo(lcSession) << "an empty crash journal was removed:" << journal;
                break;
        }
    }
    if (recovered.isEmpty() && notes.isEmpty()) return;

    QStringList message;
    if (recovered.size() == 1) message << MsgRecordRecovered.arg(recovered.first());
    else if (recovered.size() > 1) message << MsgRecordsRecovered.arg(recovered.size()).arg(recovered.join(u'\n'));
    message << notes;
    // The recovered record is opened first, so the message stands over it.
    if (!recovered.isEmpty()) {
        QString last;
        for (const RecoveredJournal& result : results)
            if (!result.recordPath.isEmpty()) last = result.recordPath;
        ShowOpenedRecord(OpenRecordFile(Store, prompts_, last));
        SavedFileName = QFileInfo(last).fileName();
    }
    if (recovered.isEmpty()) prompts_.Error(message.join(QStringLiteral("\n\n")));
    else prompts_.Notice(message.join(QStringLiteral("\n\n")));
}
