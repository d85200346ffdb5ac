#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

#include "journal/JournalFormat.h"

struct SampleStore;

enum class JournalReadStatus {
    Complete,       // every entry was read
    TornTail,       // the last entry was cut short or half written, as a crash leaves it
    DamagedMiddle,  // an entry is damaged with more entries after it; those are not used
    Empty,          // no bytes at all
    NotAJournal,    // the file does not begin as a journal of this program
    NewerVersion,   // a journal of a later version of the program
};

struct JournalReadResult {
    JournalReadStatus status = JournalReadStatus::NotAJournal;
    bool headerRead = false;
    JournalHeader header;
    int64_t entriesUsed = 0;  // the file entry included
};

// Rebuilds the journal's record into the store: its header fields, samples
// and event marks, up to the first entry that cannot be used. The store is
// reset first; it is left unsaved when it holds samples.
JournalReadResult ReadJournal(const uint8_t* data, size_t size, SampleStore& store);

// The same for a file; false with the reason when it cannot be read at all.
bool ReadJournalFile(const QString& path, SampleStore& store, JournalReadResult& result, QString* error);
