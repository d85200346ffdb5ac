#pragma once

#include <QString>
#include <vector>

#include "data/SampleStore.h"
#include "journal/JournalFormat.h"

// Entries on their way to one journal file. A whole batch starts the file
// anew (from its file entry on); any other batch is appended to it.
struct JournalBatch {
    QString path;
    bool whole = false;
    std::vector<JournalEntry> entries;
};

// What of the record in memory has not yet been handed to the journal file.
// It runs where the record lives and only encodes; the file is written
// elsewhere (JournalFile), so the record's thread never waits for a disk.
class JournalChanges {
public:
    explicit JournalChanges(QString folder);

    // The header when it changed, the samples since the last call and the
    // mark slots that changed; the whole record the first time, after
    // Rewrite, or when the record shrank (a new record in the same store).
    JournalBatch Take(const SampleStore& store, const JournalHeader& header);
    // The record changed in place, or the file lost what it had: the next
    // batch is the whole record.
    void Rewrite() { wholeNeeded_ = true; }
    // The next batch starts a journal of a new name.
    void Reset();

    // The journal's file; empty before the first batch after a reset.
    QString Path() const { return path_; }

private:
    QString folder_;
    QString path_;
    bool wholeNeeded_ = true;
    int32_t samplesTaken_ = 0;
    JournalHeader headerTaken_;
    EVENT_MARK_TYPE marksTaken_[MaxEventMarks];
};

// A new name for each journal, unique across restarts, across programs
// sharing the folder and among the journals of one program: hidden files of
// the data folder named like this.
QString NewJournalPath(const QString& folder);
inline QString JournalNameFilter() { return QStringLiteral(".tq580-*.journal"); }
