#pragma once

#include <QString>

#include "data/SampleStore.h"
#include "journal/JournalChanges.h"
#include "journal/JournalFile.h"
#include "journal/JournalFormat.h"

// The journal of a record, written where the record lives: each Follow
// takes what changed since the last one and makes it durable before it
// returns. The program's window does not use it (its disk writes run on a
// writer thread); tools and tests that own their thread do.
class JournalWriter {
public:
    explicit JournalWriter(QString folder, SyncFunction sync = {});
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    // Brings the journal up to the record. False, with the system's reason,
    // when the disk did not take it; the next call tries again.
    bool Follow(const SampleStore& store, const JournalHeader& header, QString* error = nullptr);
    // The record changed in place: the next Follow writes it whole into a new
    // file that replaces this one only once it is complete.
    void Rewrite() { changes_.Rewrite(); }
    // The record is saved or discarded: its journal goes.
    void Remove();

    bool Active() const { return !changes_.Path().isEmpty(); }
    QString Path() const { return changes_.Path(); }

private:
    JournalChanges changes_;
    JournalFile file_;
};
