#include "journal/PendingMarks.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "data/WholeFile.h"
#include "journal/FileWrites.h"

PendingMarksFile::PendingMarksFile(QString folder, SyncFunction sync)
    : folder_(std::move(folder)), sync_(std::move(sync)) {}

PendingMarksFile::~PendingMarksFile() {
    if (descriptor_ >= 0) ::close(descriptor_);
}

bool PendingMarksFile::Open(QString* error) {
    if (descriptor_ >= 0) return true;
    QDir().mkpath(folder_);
    path_ = QDir(folder_).filePath(QStringLiteral(".tq580-%1-%2.marks")
                                       .arg(QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmsszzz")))
                                       .arg(::getpid()));
    descriptor_ = ::open(QFile::encodeName(path_).constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor_ < 0) {
        if (error) *error = SystemError("open");
        path_.clear();
        return false;
    }
    ::flock(descriptor_, LOCK_EX | LOCK_NB);
    durableSize_ = 0;
    if (AppendEntries({EncodeFileEntry()}, error)) return true;
    Remove();
    return false;
}

bool PendingMarksFile::Add(const QList<PendingMark>& marks, QString* error) {
    if (marks.isEmpty()) return true;
    if (!Open(error)) return false;
    QList<JournalEntry> entries;
    entries.reserve(marks.size());
    for (const PendingMark& mark : marks) entries.append(EncodePendingMarkEntry(mark.tm, mark.event));
    return AppendEntries(entries, error);
}

bool PendingMarksFile::SetTaken(int32_t count, QString* error) {
    if (descriptor_ < 0) return true;
    return AppendEntries({EncodeMarksTakenEntry(count)}, error);
}

bool PendingMarksFile::AppendEntries(const QList<JournalEntry>& entries, QString* error) {
    const size_t total = static_cast<size_t>(entries.size()) * sizeof(JournalEntry);
    QString reason;
    bool written = WriteAllAt(descriptor_, reinterpret_cast<const uint8_t*>(entries.constData()), total,
                              durableSize_, reason);
    if (written && (sync_ ? sync_(descriptor_) : ::fdatasync(descriptor_)) != 0) {
        reason = SystemError("fdatasync");
        written = false;
    }
    if (!written) {
        if (error) *error = reason;
        // What follows must come after whole entries.
        if (::ftruncate(descriptor_, durableSize_) != 0) Remove();
        return false;
    }
    durableSize_ += static_cast<int64_t>(total);
    return true;
}

void PendingMarksFile::Remove() {
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = -1;
    if (!path_.isEmpty()) ::unlink(QFile::encodeName(path_).constData());
    path_.clear();
    durableSize_ = 0;
}

PendingMarksContent ReadPendingMarksFile(const QString& path) {
    PendingMarksContent content;
    QByteArray bytes;
    if (!ReadWholeFile(path, bytes, &content.error)) return content;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
    const qsizetype entries = bytes.size() / JournalEntrySize;
    DecodedEntry entry;
    if (entries == 0 || !DecodeEntry(data, entry) || entry.type != JournalEntryType::File || !entry.magicMatches ||
        entry.entrySize != JournalEntrySize) {
        content.error = QStringLiteral("not a file of pending marks");
        return content;
    }
    content.read = true;
    qsizetype at = 1;
    for (; at < entries; ++at) {
        if (!DecodeEntry(data + at * JournalEntrySize, entry)) break;  // a crash's torn tail, or damage
        if (entry.type == JournalEntryType::PendingMark) content.marks.append({entry.markTime, entry.markEvent});
        else if (entry.type == JournalEntryType::MarksTaken) content.taken = entry.marksTaken;
        else break;
    }
    content.wholeBytes = static_cast<int64_t>(at) * JournalEntrySize;
    return content;
}

namespace {

// Notes in the file that its first `taken` marks are written, after the
// entries that were read whole.
void NoteTaken(int descriptor, int64_t wholeBytes, int32_t taken) {
    const JournalEntry entry = EncodeMarksTakenEntry(taken);
    if (::ftruncate(descriptor, wholeBytes) != 0 ||
        ::pwrite(descriptor, entry.data(), entry.size(), static_cast<off_t>(wholeBytes)) != JournalEntrySize)
        return;
    ::fdatasync(descriptor);
}

RecoveredMarks RecoverOne(const QString& path, int descriptor, const AppendMark& append) {
    RecoveredMarks result;
    result.path = path;
    const PendingMarksContent content = ReadPendingMarksFile(path);
    if (!content.read) {
        // An empty file is a start that died before its first entry.
        if (QFileInfo(path).size() == 0) QFile::remove(path);
        else result.reason = content.error;
        return result;
    }
    const QList<PendingMark> untaken = content.Untaken();
    for (const PendingMark& mark : untaken) {
        QString error;
        if (!append(mark, &error)) {
            result.reason = error;
            break;
        }
        ++result.written;
    }
    result.left = static_cast<int>(untaken.size()) - result.written;
    if (result.left == 0) QFile::remove(path);
    else if (result.written > 0) NoteTaken(descriptor, content.wholeBytes, content.taken + result.written);
    return result;
}

}  // namespace

QList<RecoveredMarks> RecoverPendingMarks(const QString& folder, const AppendMark& append) {
    QList<RecoveredMarks> results;
    const QDir directory(folder);
    const QStringList files = directory.entryList({PendingMarksNameFilter()}, QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& name : files) {
        const QString path = directory.filePath(name);
        const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
        if (descriptor < 0) continue;
        // A running program holds its file locked: its marks are its own.
        if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0) results.append(RecoverOne(path, descriptor, append));
        ::close(descriptor);
    }
    return results;
}
