#include "journal/JournalChanges.h"

#include <QDateTime>
#include <QDir>
#include <algorithm>
#include <atomic>
#include <unistd.h>

namespace {
bool SameMark(const EVENT_MARK_TYPE& a, const EVENT_MARK_TYPE& b) { return a.sample == b.sample && a.code == b.code; }
}  // namespace

QString NewJournalPath(const QString& folder) {
    // The sensors of one measurement begin their journals in the same millisecond.
    static std::atomic<int> made{0};
    return QDir(folder).filePath(QStringLiteral(".tq580-%1-%2-%3.journal")
                                     .arg(QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmsszzz")))
                                     .arg(::getpid())
                                     .arg(++made));
}

JournalChanges::JournalChanges(QString folder) : folder_(std::move(folder)) { Reset(); }

void JournalChanges::Reset() {
    path_.clear();
    wholeNeeded_ = true;
    samplesTaken_ = 0;
    headerTaken_ = {};
    for (auto& mark : marksTaken_) mark = {-1, 0};
}

JournalBatch JournalChanges::Take(const SampleStore& store, const JournalHeader& header) {
    if (path_.isEmpty()) {
        path_ = NewJournalPath(folder_);
        wholeNeeded_ = true;
    }
    if (store.SampleCount < samplesTaken_) wholeNeeded_ = true;

    JournalBatch batch;
    batch.path = path_;
    batch.whole = wholeNeeded_;
    if (batch.whole) {
        for (auto& mark : marksTaken_) mark = {-1, 0};
        samplesTaken_ = 0;
        batch.entries.reserve(static_cast<size_t>(store.SampleCount) + 2);
        batch.entries.push_back(EncodeFileEntry());
    }
    if (batch.whole || !(header == headerTaken_)) batch.entries.push_back(EncodeHeaderEntry(header));
    for (int32_t position = samplesTaken_; position < store.SampleCount; ++position)
        batch.entries.push_back(EncodeSampleEntry(position, store.Samples[position]));
    for (int slot = 0; slot < MaxEventMarks; ++slot)
        if (!SameMark(store.EventMarks[slot], marksTaken_[slot]))
            batch.entries.push_back(EncodeMarkEntry(slot, store.EventMarks[slot]));

    wholeNeeded_ = false;
    samplesTaken_ = store.SampleCount;
    headerTaken_ = header;
    std::copy(std::begin(store.EventMarks), std::end(store.EventMarks), std::begin(marksTaken_));
    return batch;
}
