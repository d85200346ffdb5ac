#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "data/SampleStore.h"
#include "journal/JournalFormat.h"

// The journal of the record in memory, kept on disk while the record exists
// nowhere else. Each Follow appends what changed since the last one in one
// write and makes it durable (fdatasync), so the caller decides the batch:
// the session calls it twice a second. The file is locked while this writer
// holds it, so a second program recovering journals at its start leaves it
// alone.
class JournalWriter {
public:
    explicit JournalWriter(QString folder);
    // The file stays: only Remove deletes it, once the record was saved or
    // discarded. A journal left behind is recovered at the next start.
    ~JournalWriter();
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    // Brings the journal up to the record: the header when it changed, the
    // samples since the last call and the mark slots that changed. The first
    // call writes a new file; so does the next after Rewrite or after the file
    // went missing. False, with the system's reason, when the disk did not
    // take it; the next call tries again from what is known to be on disk.
    bool Follow(const SampleStore& store, const JournalHeader& header, QString* error = nullptr);
    // The record changed in place: the next Follow writes it whole into a new
    // file that replaces this one only once it is complete.
    void Rewrite() { wholeWriteNeeded_ = true; }
    // The record is saved or discarded: its journal goes.
    void Remove();

    bool Active() const { return !path_.isEmpty(); }
    QString Path() const { return path_; }

    // Journals are hidden files of the data folder named like this.
    static QString NameFilter() { return QStringLiteral(".tq580-*.journal"); }

private:
    bool WriteWhole(const SampleStore& store, const JournalHeader& header, QString* error);
    bool Append(const SampleStore& store, const JournalHeader& header, QString* error);
    void CollectChanges(const SampleStore& store, const JournalHeader& header, int32_t fromSample, bool whole);
    bool WriteOut(int descriptor, int64_t from, QString* error);
    void CloseFile();

    QString folder_;
    QString path_;          // empty: no journal
    int descriptor_ = -1;
    int64_t durableSize_ = 0;  // bytes known to be on disk
    bool wholeWriteNeeded_ = true;
    int wholeWriteRetryCountdown_ = 0;
    // What the file holds.
    int32_t samplesWritten_ = 0;
    JournalHeader headerWritten_;
    EVENT_MARK_TYPE marksWritten_[MaxEventMarks];
    std::vector<JournalEntry> pending_;
};
