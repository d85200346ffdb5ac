#include "journal/JournalWriter.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString SystemError(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

bool SameMark(const EVENT_MARK_TYPE& a, const EVENT_MARK_TYPE& b) { return a.sample == b.sample && a.code == b.code; }

// A new name for each record, unique across restarts and across programs
// sharing the folder.
QString NewJournalPath(const QString& folder) {
    return QDir(folder).filePath(QStringLiteral(".tq580-%1-%2.journal")
                                     .arg(QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmsszzz")))
                                     .arg(::getpid()));
}

// The rename of a new journal survives a power cut only once its folder is on disk.
void SyncFolder(const QString& folder) {
    const int descriptor = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return;
    ::fsync(descriptor);
    ::close(descriptor);
}

}  // namespace

JournalWriter::JournalWriter(QString folder) : folder_(std::move(folder)) {
    for (auto& mark : marksWritten_) mark = {-1, 0};
}

JournalWriter::~JournalWriter() { CloseFile(); }

bool JournalWriter::Follow(const SampleStore& store, const JournalHeader& header, QString* error) {
    if (path_.isEmpty()) {
        path_ = NewJournalPath(folder_);
        wholeWriteNeeded_ = true;
        wholeWriteRetryCountdown_ = 0;
    }
    if (!wholeWriteNeeded_ && store.SampleCount < samplesWritten_) wholeWriteNeeded_ = true;
    if (!wholeWriteNeeded_) {
        if (Append(store, header, error)) return true;
        if (!wholeWriteNeeded_) return false;  // the file is still there: the next call appends again
    }
    // A whole record can be 14 MB: after a failure it is tried again every
    // other second, not on every call.
    if (wholeWriteRetryCountdown_ > 0) {
        --wholeWriteRetryCountdown_;
        if (error && error->isEmpty()) *error = QStringLiteral("the journal could not be written");
        return false;
    }
    if (WriteWhole(store, header, error)) return true;
    wholeWriteRetryCountdown_ = 3;
    return false;
}

void JournalWriter::CollectChanges(const SampleStore& store, const JournalHeader& header, int32_t fromSample,
                                   bool whole) {
    pending_.clear();
    if (whole || !(header == headerWritten_)) pending_.push_back(EncodeHeaderEntry(header));
    for (int32_t position = fromSample; position < store.SampleCount; ++position)
        pending_.push_back(EncodeSampleEntry(position, store.Samples[position]));
    for (int slot = 0; slot < MaxEventMarks; ++slot)
        if (!SameMark(store.EventMarks[slot], marksWritten_[slot]))
            pending_.push_back(EncodeMarkEntry(slot, store.EventMarks[slot]));
}

bool JournalWriter::Append(const SampleStore& store, const JournalHeader& header, QString* error) {
    struct stat status {};
    if (descriptor_ < 0 || ::fstat(descriptor_, &status) != 0 || status.st_nlink == 0) {
        // The file or its folder was removed: appends would go nowhere.
        if (error) *error = QStringLiteral("the journal file was removed");
        wholeWriteNeeded_ = true;
        return false;
    }
    CollectChanges(store, header, samplesWritten_, false);
    if (pending_.empty()) return true;
    if (!WriteOut(descriptor_, durableSize_, error) || ::fdatasync(descriptor_) != 0) {
        if (error && error->isEmpty()) *error = SystemError("fdatasync");
        // Cut a half-written batch off, so the next one follows whole entries.
        if (::ftruncate(descriptor_, durableSize_) != 0) wholeWriteNeeded_ = true;
        return false;
    }
    durableSize_ += static_cast<int64_t>(pending_.size()) * JournalEntrySize;
    samplesWritten_ = store.SampleCount;
    headerWritten_ = header;
    std::copy(std::begin(store.EventMarks), std::end(store.EventMarks), std::begin(marksWritten_));
    return true;
}

bool JournalWriter::WriteWhole(const SampleStore& store, const JournalHeader& header, QString* error) {
    QDir().mkpath(folder_);
    const QString temporaryPath = path_ + QStringLiteral(".new");
    const QByteArray temporaryName = QFile::encodeName(temporaryPath);
    const int descriptor = ::open(temporaryName.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor < 0) {
        if (error) *error = SystemError("open");
        return false;
    }
    ::flock(descriptor, LOCK_EX | LOCK_NB);

    EVENT_MARK_TYPE freeMarks[MaxEventMarks];
    for (auto& mark : freeMarks) mark = {-1, 0};
    std::copy(std::begin(freeMarks), std::end(freeMarks), std::begin(marksWritten_));
    CollectChanges(store, header, 0, true);
    pending_.insert(pending_.begin(), EncodeFileEntry());

    const bool written = WriteOut(descriptor, 0, error) && ::fdatasync(descriptor) == 0 &&
                         ::rename(temporaryName.constData(), QFile::encodeName(path_).constData()) == 0;
    if (!written) {
        if (error && error->isEmpty()) *error = SystemError("write");
        ::close(descriptor);
        ::unlink(temporaryName.constData());
        // The old file, if any, still holds what it held; the next try is whole again.
        return false;
    }
    SyncFolder(folder_);
    CloseFile();
    descriptor_ = descriptor;
    durableSize_ = static_cast<int64_t>(pending_.size()) * JournalEntrySize;
    samplesWritten_ = store.SampleCount;
    headerWritten_ = header;
    std::copy(std::begin(store.EventMarks), std::end(store.EventMarks), std::begin(marksWritten_));
    wholeWriteNeeded_ = false;
    return true;
}

// Writes every pending entry from the offset on: the end of what is on disk,
// never after a half-written batch.
bool JournalWriter::WriteOut(int descriptor, int64_t from, QString* error) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(pending_.data());
    const size_t total = pending_.size() * sizeof(JournalEntry);
    auto offset = static_cast<off_t>(from);
    for (size_t done = 0; done < total;) {
        const ssize_t count = ::pwrite(descriptor, bytes + done, total - done, offset);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) {
            if (error) *error = count < 0 ? SystemError("write") : QStringLiteral("write: no space left");
            return false;
        }
        done += static_cast<size_t>(count);
        offset += count;
    }
    return true;
}

void JournalWriter::Remove() {
    if (path_.isEmpty()) return;
    CloseFile();
    ::unlink(QFile::encodeName(path_).constData());
    ::unlink(QFile::encodeName(path_ + QStringLiteral(".new")).constData());
    path_.clear();
    durableSize_ = 0;
    samplesWritten_ = 0;
    headerWritten_ = {};
    for (auto& mark : marksWritten_) mark = {-1, 0};
    wholeWriteNeeded_ = true;
    wholeWriteRetryCountdown_ = 0;
}

void JournalWriter::CloseFile() {
    if (descriptor_ >= 0) ::close(descriptor_);  // also releases the lock
    descriptor_ = -1;
}
