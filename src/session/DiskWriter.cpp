#include "session/DiskWriter.h"

#include <QFile>
#include <algorithm>

#include "data/CsvWriter.h"
#include "data/SampleStore.h"
#include "export/SnirfWriter.h"
#include "session/Diagnostics.h"
#include "storage/EventLog.h"

DiskWriter::DiskWriter(QString folder, SyncFunction sync) : sync_(sync), pendingMarks_(std::move(folder), sync) {
    thread_ = std::thread([this] { Run(); });
}

DiskWriter::~DiskWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void DiskWriter::WriteJournal(JournalBatch batch) {
    {
        std::lock_guard lock(mutex_);
        // A batch behind a batch of the same journal that is still waiting
        // joins it, so a slow disk makes one larger write per journal
        // instead of a queue.
        auto waiting = std::find_if(journalJobs_.rbegin(), journalJobs_.rend(),
                                    [&](const JournalJob& job) { return job.batch.path == batch.path; });
        if (waiting != journalJobs_.rend() && !waiting->remove) {
            if (batch.whole) waiting->batch = std::move(batch);
            else waiting->batch.entries.insert(waiting->batch.entries.end(), batch.entries.begin(), batch.entries.end());
        } else {
            journalJobs_.push_back({false, std::move(batch)});
        }
    }
    wake_.notify_one();
}

void DiskWriter::RemoveJournal(const QString& path) {
    {
        std::lock_guard lock(mutex_);
        journalJobs_.push_back({true, {path, false, {}}});
    }
    wake_.notify_one();
}

void DiskWriter::AppendEventLog(const QString& fileName, double tm, int32_t event) {
    {
        std::lock_guard lock(mutex_);
        newEventLogFileName_ = fileName;
        newMarks_.append({tm, event});
    }
    wake_.notify_one();
}

void DiskWriter::RetryEventLog(const QString& fileName) {
    {
        std::lock_guard lock(mutex_);
        newEventLogFileName_ = fileName;
        eventLogRetry_ = true;
    }
    wake_.notify_one();
}

void DiskWriter::WriteRecordFile(std::unique_ptr<SampleStore> record, const QString& path, const QString& snirfPath) {
    {
        std::lock_guard lock(mutex_);
        recordFileJobs_.push_back({std::move(record), path, snirfPath});
    }
    wake_.notify_one();
}

void DiskWriter::WaitUntilIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !working_ && !HasWork(); });
}

bool DiskWriter::HasWork() const {
    return !journalJobs_.empty() || !recordFileJobs_.empty() || !newMarks_.isEmpty() || eventLogRetry_;
}

void DiskWriter::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || HasWork(); });
        const bool stop = stopping_;
        std::deque<JournalJob> jobs;
        jobs.swap(journalJobs_);
        std::deque<RecordFileJob> recordFiles;
        recordFiles.swap(recordFileJobs_);
        QList<PendingMark> marks;
        marks.swap(newMarks_);
        const bool eventLogWork = !marks.isEmpty() || eventLogRetry_;
        if (eventLogWork) eventLogFileName_ = newEventLogFileName_;
        eventLogRetry_ = false;
        working_ = true;
        lock.unlock();

        for (JournalJob& job : jobs) DoJournalJob(job);
        if (eventLogWork) DrainEventLog(std::move(marks));
        for (RecordFileJob& job : recordFiles) DoRecordFileJob(job);
        recordFiles.clear();  // the copies go here, not on the caller's thread

        lock.lock();
        working_ = false;
        const bool idle = !HasWork();
        if (idle) idle_.notify_all();
        if (stop && idle) return;
    }
}

void DiskWriter::DoJournalJob(JournalJob& job) {
    const QString path = job.batch.path;
    const auto held = journals_.find(path);
    if (job.remove) {
        if (held != journals_.end()) {
            held->second->Remove();
            journals_.erase(held);
        } else {
            // Never written by this writer.
            QFile::remove(path);
            QFile::remove(path + QStringLiteral(".new"));
        }
        return;
    }
    JournalFile& journal =
        held != journals_.end() ? *held->second : *journals_.emplace(path, std::make_unique<JournalFile>(sync_)).first->second;
    const JournalFileResult result = journal.Write(std::move(job.batch));
    emit JournalWritten(path, result.written, result.wholeNeeded, result.error);
}

void DiskWriter::DoRecordFileJob(RecordFileJob& job) {
    const CsvWriteOutcome outcome = ::WriteRecordFile(*job.record, job.path);
    emit RecordFileWritten(job.path, static_cast<int>(outcome.result), outcome.errorText, job.record->RecordEndTime);
    if (job.snirfPath.isEmpty() || outcome.result != CsvWriteResult::Written) return;
    // No other thread writes SNIRF files while uploads are saved: the
    // exports wait for them.
    const SnirfWriteOutcome snirf = WriteSnirfFile(*job.record, job.snirfPath, {}, ExistingSnirf::Keep);
    emit SnirfFileWritten(job.path, job.snirfPath, snirf.written ? QString() : snirf.reason);
}

// The marks go to the event log file in their order. Those it does not take
// wait, each in the pending marks file, and are tried again at the next mark
// or retry; the file goes once the event log file has taken every one.
void DiskWriter::DrainEventLog(QList<PendingMark> newMarks) {
    for (const PendingMark& mark : newMarks) unwritten_.push_back(mark);
    while (unwritten_.size() > size_t{MaxUnwrittenMarks}) {
        qCWarning(lcSession) << "event log file unwritable for too long; dropping the mark of" << unwritten_.front().tm;
        unwritten_.pop_front();
        if (marksTakenFromFile_ < marksInFile_) ++marksTakenFromFile_;  // gone, and not to be written later
    }

    QString error;
    int32_t appended = 0;
    while (!unwritten_.empty()) {
        if (!::AppendEventLog(eventLogFileName_, unwritten_.front().tm, unwritten_.front().event, &error)) break;
        unwritten_.pop_front();
        ++appended;
    }
    marksTakenFromFile_ += std::min(appended, marksInFile_ - marksTakenFromFile_);

    bool durable = true;
    if (unwritten_.empty()) {
        if (pendingMarks_.Active()) pendingMarks_.Remove();
        marksInFile_ = marksTakenFromFile_ = 0;
    } else {
        QString fileError;
        if (appended > 0 && pendingMarks_.Active() && !pendingMarks_.SetTaken(marksTakenFromFile_, &fileError))
            qCWarning(lcSession) << "the pending marks file was not updated:" << fileError;
        const auto inFile = static_cast<size_t>(marksInFile_ - marksTakenFromFile_);
        QList<PendingMark> outside;
        for (size_t i = inFile; i < unwritten_.size(); ++i) outside.append(unwritten_[i]);
        if (!pendingMarks_.Add(outside, &fileError)) {
            qCWarning(lcSession) << "marks the event log file did not take are in memory only:" << fileError;
            durable = false;
        } else {
            marksInFile_ += static_cast<int32_t>(outside.size());
        }
        if (!pendingMarks_.Active()) marksInFile_ = marksTakenFromFile_ = 0;
    }
    emit EventLogWritten(static_cast<int>(unwritten_.size()), durable, error);
}
