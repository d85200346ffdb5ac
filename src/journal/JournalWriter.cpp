#include "journal/JournalWriter.h"

JournalWriter::JournalWriter(QString folder, SyncFunction sync) : changes_(std::move(folder)), file_(std::move(sync)) {}

bool JournalWriter::Follow(const SampleStore& store, const JournalHeader& header, QString* error) {
    JournalFileResult result = file_.Write(changes_.Take(store, header));
    if (result.wholeNeeded) {
        changes_.Rewrite();
        result = file_.Write(changes_.Take(store, header));
    }
    if (!result.written && error) *error = result.error;
    return result.written;
}

void JournalWriter::Remove() {
    file_.Remove();
    changes_.Reset();
}
