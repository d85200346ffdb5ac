#include "journal/JournalRecovery.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "data/CsvWriter.h"
#include "data/DirectoryEntry.h"
#include "data/OleDate.h"
#include "data/SampleStore.h"
#include "journal/JournalChanges.h"

namespace {

// A device name as part of a file name: no folder separators or characters
// other systems refuse.
QString FileNamePart(const QString& deviceId) {
    QString part;
    for (const QChar c : deviceId)
        part += (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c)) ? QChar(u'_') : c;
    return part.trimmed().isEmpty() ? QStringLiteral("Tq580") : part.trimmed();
}

// A name next to the original that no directory entry has, a link
// included: a file written through a link would leave the folder.
QString FreePath(const QString& stem, const QString& suffix) {
    QString path = stem + suffix;
    for (int n = 2; IsNameTaken(path); ++n) path = QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(suffix);
    return path;
}

bool MoveAside(const QString& path, const QString& why, RecoveredJournal& result) {
    result.asidePath = FreePath(path, QStringLiteral(".") + why);
    return QFile::rename(path, result.asidePath);
}

// The whole file through the descriptor that holds the lock.
bool ReadAll(int descriptor, QByteArray& bytes, QString& error) {
    bytes.clear();
    char buffer[1 << 16];
    for (;;) {
        const ssize_t count = ::read(descriptor, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) {
            error = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        if (count == 0) return true;
        bytes.append(buffer, count);
    }
}

QString ReasonFor(JournalReadStatus status) {
    return status == JournalReadStatus::NewerVersion ? QStringLiteral("it was written by a newer version of the program")
                                                     : QStringLiteral("it is not a journal of this program");
}

RecoveredJournal RecoverOne(const QString& folder, const QString& path, int descriptor, SampleStore& store) {
    RecoveredJournal result;
    result.journalPath = path;
    QByteArray bytes;
    if (!ReadAll(descriptor, bytes, result.reason)) {
        result.outcome = RecoveredJournal::Outcome::NotWritten;
        return result;
    }
    const JournalReadResult read =
        ReadJournal(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size()), store);
    result.samples = store.SampleCount;

    if (read.status == JournalReadStatus::NotAJournal || read.status == JournalReadStatus::NewerVersion ||
        (read.status == JournalReadStatus::DamagedMiddle && store.SampleCount == 0)) {
        result.reason = read.status == JournalReadStatus::DamagedMiddle ? QStringLiteral("it is damaged")
                                                                        : ReasonFor(read.status);
        result.outcome = RecoveredJournal::Outcome::Unreadable;
        if (!MoveAside(path, QStringLiteral("unreadable"), result)) {
            result.outcome = RecoveredJournal::Outcome::NotWritten;
            result.reason += QStringLiteral("; it could not be moved aside");
        }
        return result;
    }
    if (store.SampleCount == 0) {
        result.outcome = RecoveredJournal::Outcome::NothingToRecover;
        QFile::remove(path);
        return result;
    }

    result.recordPath = RecoveredRecordPath(folder, store.RecordDeviceId, store.RecordStartTime);
    const CsvWriteOutcome written = WriteRecordFile(store, result.recordPath);
    if (written.result != CsvWriteResult::Written) {
        result.outcome = RecoveredJournal::Outcome::NotWritten;
        result.reason = written.errorText;
        result.recordPath.clear();
        return result;
    }
    // Only a complete record file lets the journal go.
    if (read.status == JournalReadStatus::DamagedMiddle) {
        result.outcome = RecoveredJournal::Outcome::RecoveredPart;
        if (!MoveAside(path, QStringLiteral("damaged"), result)) result.asidePath = path;
    } else {
        result.outcome = RecoveredJournal::Outcome::Recovered;
        QFile::remove(path);
    }
    return result;
}

}  // namespace

QString RecoveredRecordPath(const QString& folder, const QString& deviceId, double startTime) {
    const DateTimeParts when = PartsFromOleDate(startTime);
    const QString stem = QStringLiteral("Recovered %1 %2-%3-%4 %5-%6-%7")
                             .arg(FileNamePart(deviceId))
                             .arg(when.year, 4, 10, QChar(u'0'))
                             .arg(when.month, 2, 10, QChar(u'0'))
                             .arg(when.day, 2, 10, QChar(u'0'))
                             .arg(when.hour, 2, 10, QChar(u'0'))
                             .arg(when.minute, 2, 10, QChar(u'0'))
                             .arg(when.second, 2, 10, QChar(u'0'));
    return FreePath(QDir(folder).filePath(stem), QStringLiteral(".csv"));
}

QList<RecoveredJournal> RecoverJournals(const QString& folder, SampleStore& store) {
    QList<RecoveredJournal> results;
    const QDir directory(folder);
    if (!directory.exists()) return results;
    const QStringList journals =
        directory.entryList({JournalNameFilter(), JournalNameFilter() + QStringLiteral(".new")},
                            QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& name : journals) {
        const QString path = directory.filePath(name);
        const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        if (descriptor < 0) continue;
        // A running program holds its journal locked: it is not ours to take.
        if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
            ::close(descriptor);
            continue;
        }
        const bool rewrite = name.endsWith(QStringLiteral(".new"));
        if (rewrite && journals.contains(name.chopped(4))) {
            // A rewrite that did not finish: the journal it was to replace
            // still holds the record, all but the last change in place.
            QFile::remove(path);
        } else {
            // A first write that was not yet renamed is read like any journal.
            results.append(RecoverOne(folder, path, descriptor, store));
        }
        ::close(descriptor);
    }
    return results;
}
