#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "journal/JournalChanges.h"
#include "journal/JournalFile.h"
#include "journal/PendingMarks.h"

struct SampleStore;

// The thread that writes to disk while a record is made or saved: the crash
// journal, the event log file and record files. Callers hand their work over and return at once;
// what the disk did comes back as signals, delivered on the caller's thread
// after its current handler. Work waiting for the thread stays bounded:
// journal batches of one journal that queue up are merged into one, and the
// marks the event log file did not take are at most MaxUnwrittenMarks. It
// holds one journal per record being made.
class DiskWriter : public QObject {
    Q_OBJECT

public:
    static constexpr int MaxUnwrittenMarks = 100000;

    // Pending marks files go into the folder; sync makes a file durable.
    DiskWriter(QString folder, SyncFunction sync = {});
    // Finishes the work handed over, then stops. Marks the event log file
    // did not take stay in their pending marks file for the next start.
    ~DiskWriter() override;

    void WriteJournal(JournalBatch batch);
    void RemoveJournal(const QString& path);
    // Marks go to the file named last.
    void AppendEventLog(const QString& fileName, double tm, int32_t event);
    // The event log file is tried again for the marks it did not take.
    void RetryEventLog(const QString& fileName);
    // Writes a record file from a copy of the record, which the thread owns
    // from now on; RecordFileWritten tells how it went. With a snirfPath,
    // once the record file is written the same copy also becomes the SNIRF
    // file there (never replacing one); SnirfFileWritten tells how.
    void WriteRecordFile(std::unique_ptr<SampleStore> record, const QString& path, const QString& snirfPath = {});
    // Waits until the work handed over so far is done and its signals sent:
    // for closing, and for tests that look at the files.
    void WaitUntilIdle();

signals:
    void JournalWritten(const QString& path, bool written, bool wholeNeeded, const QString& error);
    // unwritten: marks the event log file has not taken; durable: they are
    // all in a pending marks file; error: why the last try failed, if it did.
    void EventLogWritten(int unwritten, bool durable, const QString& error);
    // result is a CsvWriteResult; recordEndTime is the end time the file
    // gave the record, once the file was created.
    void RecordFileWritten(const QString& path, int result, const QString& error, double recordEndTime);
    // error: why the SNIRF file beside the record file was not written; empty when it was.
    void SnirfFileWritten(const QString& recordPath, const QString& snirfPath, const QString& error);

private:
    struct JournalJob {
        bool remove = false;  // otherwise write the batch
        JournalBatch batch;
    };
    struct RecordFileJob {
        std::unique_ptr<SampleStore> record;
        QString path;
        QString snirfPath;  // empty: none
    };
    void Run();
    bool HasWork() const;
    void DoJournalJob(JournalJob& job);
    void DoRecordFileJob(RecordFileJob& job);
    void DrainEventLog(QList<PendingMark> newMarks);

    // The thread's own state: the journals it holds, by path.
    SyncFunction sync_;
    QString eventLogFileName_;
    std::map<QString, std::unique_ptr<JournalFile>> journals_;
    PendingMarksFile pendingMarks_;
    std::deque<PendingMark> unwritten_;  // oldest first
    int32_t marksInFile_ = 0;            // of the pending marks file
    int32_t marksTakenFromFile_ = 0;

    // Shared with the callers, under the mutex.
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<JournalJob> journalJobs_;
    std::deque<RecordFileJob> recordFileJobs_;
    QList<PendingMark> newMarks_;
    QString newEventLogFileName_;
    bool eventLogRetry_ = false;
    bool working_ = false;
    bool stopping_ = false;
    std::thread thread_;
};
