#pragma once

#include <QString>

// One export at a time into a dataset, across processes: an exclusive lock
// (flock) on a lock file in the dataset's folder, which every export of this
// program takes before it looks at the runs there and holds until its run is
// written or taken back. The file is removed while the lock is held, so a
// dataset keeps no trace of it; an export that waited for a file removed
// meanwhile takes the lock again on a new one.
class DatasetLock {
public:
    // Waits for the lock. The folder must exist.
    explicit DatasetLock(const QString& folder);
    ~DatasetLock();  // releases it, removing the file first
    DatasetLock(const DatasetLock&) = delete;
    DatasetLock& operator=(const DatasetLock&) = delete;

    bool Held() const { return descriptor_ >= 0; }
    // Why not, when not held; empty when the folder itself has gone (the
    // export that made it took it back), so it is to be made again.
    QString Failure() const { return failure_; }
    // Removes the file and releases the lock before the destructor would.
    void Release();

    static constexpr const char* FileName = ".tq580-export.lock";

private:
    QString path_;
    int descriptor_ = -1;
    QString failure_;
};
