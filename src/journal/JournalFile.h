#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "journal/JournalChanges.h"

// Makes a file's data durable; ::fdatasync unless a test slows the disk down.
using SyncFunction = std::function<int(int descriptor)>;

struct JournalFileResult {
    bool written = false;      // every entry handed over so far is on disk
    bool wholeNeeded = false;  // the file lost what it held: only a whole batch can follow
    QString error;             // the system's reason when not written
};

// The disk side of a journal: appends each batch in one write and makes it
// durable, or writes a whole batch into a new file that replaces the old one
// only once complete. The file is locked while held, so a program recovering
// journals at its start leaves it alone. What the disk did not take is kept
// and goes first at the next write, so no batch is lost to a full disk; a
// disk that takes part of it keeps the whole entries it took.
class JournalFile {
public:
    explicit JournalFile(SyncFunction sync = {});
    // The file stays: only Remove deletes it.
    ~JournalFile();
    JournalFile(const JournalFile&) = delete;
    JournalFile& operator=(const JournalFile&) = delete;

    JournalFileResult Write(JournalBatch batch);
    // The record was saved or discarded: its journal goes.
    void Remove();
    QString Path() const { return path_; }

private:
    JournalFileResult WriteWhole();
    JournalFileResult Append();
    bool WriteOut(int descriptor, int64_t from, QString& error, size_t* written = nullptr);
    int Sync(int descriptor) const;
    void CloseFile();

    SyncFunction sync_;
    QString path_;
    int descriptor_ = -1;
    int64_t durableSize_ = 0;  // bytes known to be on disk
    std::vector<JournalEntry> unwritten_;
    bool unwrittenWhole_ = false;  // unwritten_ is a whole file's content
    bool awaitingWhole_ = false;   // appends would go nowhere until a whole batch comes
    int wholeRetryCountdown_ = 0;
    QString lastError_;
};
