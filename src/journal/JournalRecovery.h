#pragma once

#include <QList>
#include <QString>

#include "journal/JournalReader.h"

struct SampleStore;

// What became of one journal found at start.
struct RecoveredJournal {
    enum class Outcome {
        Recovered,         // the record file was written and the journal deleted
        RecoveredPart,     // the record up to a damaged entry was written; the journal was moved aside
        NothingToRecover,  // the journal held no sample; it was deleted
        Unreadable,        // not a journal this program reads; it was moved aside
        NotWritten,        // the record file could not be written; the journal stays for the next start
    };
    Outcome outcome = Outcome::NothingToRecover;
    QString journalPath;
    QString recordPath;  // Recovered, RecoveredPart
    QString asidePath;   // RecoveredPart, Unreadable
    QString reason;      // Unreadable, NotWritten
    int32_t samples = 0;
};

// Turns every journal in the folder that no running program holds into a
// record file "Recovered <device> <yyyy-MM-dd> <HH-mm-ss>.csv" of the same
// folder, written as a save writes it, oldest journal first. An existing file
// is never replaced. The store is the work area; it ends holding the last
// journal read.
QList<RecoveredJournal> RecoverJournals(const QString& folder, SampleStore& store);

// A name of that form not yet taken in the folder: " (2)", " (3)"... are added
// when it is.
QString RecoveredRecordPath(const QString& folder, const QString& deviceId, double startTime);
