// What a program that ended without closing left behind, taken back at the
// next start: records in crash journals, and marks that its event log file
// had not taken.
#include <QDir>
#include <QFileInfo>

#include "data/CsvOpenFlow.h"
#include "journal/JournalRecovery.h"
#include "journal/PendingMarks.h"
#include "prompts/Prompts.h"
#include "session/AcquisitionSession.h"
#include "session/Diagnostics.h"
#include "session/StringTable.h"
#include "storage/EventLog.h"

void AcquisitionSession::RecoverRecords() {
    FlowInput input(*this, "the start's recovery");
    const QList<RecoveredJournal> results = RecoverJournals(DataFolder, Store);
    // The store was the work area: it holds no record of this program yet.
    ResetRecord(Store);
    Store.DataSaved = true;
    Store.RecordFull = false;
    Store.SequenceGap = false;

    QStringList recovered;
    QStringList notes;
    bool trouble = false;  // something could not be taken back
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
                trouble = true;
                break;
            case RecoveredJournal::Outcome::NotWritten:
                notes << MsgJournalNotRecovered.arg(result.reason, journal);
                trouble = true;
                break;
            case RecoveredJournal::Outcome::NothingToRecover:
                qCInfo(lcSession) << "an empty crash journal was removed:" << journal;
                break;
        }
    }
    RecoverPendingMarks(notes, trouble);
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
    if (recovered.isEmpty() && trouble) prompts_.Error(message.join(QStringLiteral("\n\n")));
    else prompts_.Notice(message.join(QStringLiteral("\n\n")));
}

// Marks that the event log file had not taken go to it now, in their order.
void AcquisitionSession::RecoverPendingMarks(QStringList& notes, bool& trouble) {
    int written = 0;
    const QList<RecoveredMarks> results =
        ::RecoverPendingMarks(DataFolder, [this](const PendingMark& mark, QString* error) {
            return AppendEventLog(EventLogFileName, mark.tm, mark.event, error);
        });
    for (const RecoveredMarks& result : results) {
        written += result.written;
        if (result.left == 0 && result.reason.isEmpty()) continue;
        trouble = true;
        notes << MsgPendingMarksLeft.arg(result.left).arg(result.reason, QDir::toNativeSeparators(result.path));
    }
    if (written > 0) notes << MsgPendingMarksWritten.arg(written);
}
