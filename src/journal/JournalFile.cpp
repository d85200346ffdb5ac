#include "journal/JournalFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "journal/FileWrites.h"

namespace {

// The rename of a new journal survives a power cut only once its folder is on disk.
void SyncFolder(const QString& folder) {
    const int descriptor = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return;
    ::fsync(descriptor);
    ::close(descriptor);
}

// A whole record can be 14 MB: after a failure it is tried again at every
// fourth write (every other second at the session's pace), not at each.
constexpr int WholeWriteRetryInterval = 3;

}  // namespace

JournalFile::JournalFile(SyncFunction sync) : sync_(std::move(sync)) {}

JournalFile::~JournalFile() { CloseFile(); }

int JournalFile::Sync(int descriptor) const { return sync_ ? sync_(descriptor) : ::fdatasync(descriptor); }

JournalFileResult JournalFile::Write(JournalBatch batch) {
    if (batch.path != path_) {
        // A journal of a new name: whatever the old one did not take belongs
        // to a record that was saved or discarded.
        CloseFile();
        path_ = batch.path;
        durableSize_ = 0;
        unwritten_.clear();
        unwrittenWhole_ = false;
        awaitingWhole_ = !batch.whole;
        wholeRetryCountdown_ = 0;
    }
    if (batch.whole) {
        unwritten_ = std::move(batch.entries);
        unwrittenWhole_ = true;
        awaitingWhole_ = false;
        wholeRetryCountdown_ = 0;
    } else if (awaitingWhole_) {
        return {false, false, lastError_};  // the whole record asked for is on its way
    } else {
        unwritten_.insert(unwritten_.end(), batch.entries.begin(), batch.entries.end());
    }
    if (unwrittenWhole_) return WriteWhole();
    if (unwritten_.empty()) return {true, false, {}};
    return Append();
}

JournalFileResult JournalFile::Append() {
    struct stat status {};
    if (descriptor_ < 0 || ::fstat(descriptor_, &status) != 0 || status.st_nlink == 0) {
        // The file or its folder was removed: appends would go nowhere.
        unwritten_.clear();
        awaitingWhole_ = true;
        lastError_ = QStringLiteral("the journal file was removed");
        return {false, true, lastError_};
    }
    QString error;
    size_t written = 0;
    const bool allOut = WriteOut(descriptor_, durableSize_, error, &written);
    if (allOut && Sync(descriptor_) == 0) {
        durableSize_ += static_cast<int64_t>(unwritten_.size()) * JournalEntrySize;
        unwritten_.clear();
        return {true, false, {}};
    }
    if (error.isEmpty()) error = SystemError("fdatasync");
    lastError_ = error;
    // A disk that filled up took the first entries: those whole ones are
    // kept, so a backlog goes in as far as the disk takes it, try by try.
    const size_t wholeEntries = allOut ? 0 : written / JournalEntrySize;
    const int64_t keep = durableSize_ + static_cast<int64_t>(wholeEntries) * JournalEntrySize;
    // Cut a half-written entry off, so the next write follows whole entries.
    if (::ftruncate(descriptor_, keep) != 0) {
        unwritten_.clear();
        awaitingWhole_ = true;
        return {false, true, error};
    }
    if (wholeEntries > 0 && Sync(descriptor_) == 0) {
        durableSize_ = keep;
        unwritten_.erase(unwritten_.begin(), unwritten_.begin() + static_cast<ptrdiff_t>(wholeEntries));
    } else if (::ftruncate(descriptor_, durableSize_) != 0) {
        unwritten_.clear();
        awaitingWhole_ = true;
        return {false, true, error};
    }
    return {false, false, error};
}

JournalFileResult JournalFile::WriteWhole() {
    if (wholeRetryCountdown_ > 0) {
        --wholeRetryCountdown_;
        return {false, false, lastError_};
    }
    const QString folder = QFileInfo(path_).path();
    QDir().mkpath(folder);
    const QString temporaryPath = path_ + QStringLiteral(".new");
    const QByteArray temporaryName = QFile::encodeName(temporaryPath);
    QString error;
    const int descriptor = ::open(temporaryName.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor < 0) {
        error = SystemError("open");
    } else {
        ::flock(descriptor, LOCK_EX | LOCK_NB);
        const bool written = WriteOut(descriptor, 0, error) && Sync(descriptor) == 0 &&
                             ::rename(temporaryName.constData(), QFile::encodeName(path_).constData()) == 0;
        if (written) {
            SyncFolder(folder);
            CloseFile();
            descriptor_ = descriptor;
            durableSize_ = static_cast<int64_t>(unwritten_.size()) * JournalEntrySize;
            unwritten_.clear();
            unwrittenWhole_ = false;
            return {true, false, {}};
        }
        if (error.isEmpty()) error = SystemError("write");
        ::close(descriptor);
        ::unlink(temporaryName.constData());
    }
    // The old file, if any, still holds what it held; the next try is whole again.
    lastError_ = error;
    wholeRetryCountdown_ = WholeWriteRetryInterval;
    return {false, false, error};
}

// Writes every unwritten entry from the offset on: the end of what is on
// disk, never after a half-written entry.
bool JournalFile::WriteOut(int descriptor, int64_t from, QString& error, size_t* written) {
    return WriteAllAt(descriptor, reinterpret_cast<const uint8_t*>(unwritten_.data()),
                      unwritten_.size() * sizeof(JournalEntry), from, error, written);
}

void JournalFile::Remove() {
    if (path_.isEmpty()) return;
    CloseFile();
    ::unlink(QFile::encodeName(path_).constData());
    ::unlink(QFile::encodeName(path_ + QStringLiteral(".new")).constData());
    path_.clear();
    durableSize_ = 0;
    unwritten_.clear();
    unwrittenWhole_ = false;
    awaitingWhole_ = false;
    wholeRetryCountdown_ = 0;
    lastError_.clear();
}

void JournalFile::CloseFile() {
    if (descriptor_ >= 0) ::close(descriptor_);  // also releases the lock
    descriptor_ = -1;
}
