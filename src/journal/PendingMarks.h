#pragma once

#include <QList>
#include <QString>
#include <cstdint>
#include <functional>

#include "journal/JournalFile.h"

// A mark bound for the PC's event log file: its local time (OLE date) and
// code (+n event n started, -n ended).
struct PendingMark {
    double tm = 0;
    int32_t event = 0;
    bool operator==(const PendingMark&) const = default;
};

// Marks that the event log file did not take, kept durable in a hidden file
// of the data folder until it takes them, so neither closing the program nor
// a crash loses them. The file is the journal's kind of entries: the marks
// in their order, then "taken" counts as the event log file takes them. It
// is locked while held; a program's next start writes what is left of it to
// the event log file.
class PendingMarksFile {
public:
    PendingMarksFile(QString folder, SyncFunction sync = {});
    // Closes the file and keeps it, for the next start.
    ~PendingMarksFile();
    PendingMarksFile(const PendingMarksFile&) = delete;
    PendingMarksFile& operator=(const PendingMarksFile&) = delete;

    // Adds marks behind those already in the file; true once they are on disk.
    bool Add(const QList<PendingMark>& marks, QString* error);
    // The first `count` marks of the file are in the event log file now.
    bool SetTaken(int32_t count, QString* error);
    // Every mark was taken: the file goes.
    void Remove();

    bool Active() const { return descriptor_ >= 0; }
    QString Path() const { return path_; }

private:
    bool Open(QString* error);
    bool AppendEntries(const QList<JournalEntry>& entries, QString* error);

    QString folder_;
    SyncFunction sync_;
    QString path_;
    int descriptor_ = -1;
    int64_t durableSize_ = 0;
};

inline QString PendingMarksNameFilter() { return QStringLiteral(".tq580-*.marks"); }

// What a pending marks file holds, read up to its first damaged entry.
struct PendingMarksContent {
    bool read = false;      // false: not such a file, or not readable at all
    QString error;
    QList<PendingMark> marks;
    int32_t taken = 0;      // the first marks already in the event log file
    int64_t wholeBytes = 0; // the entries read; a torn tail lies beyond
    QList<PendingMark> Untaken() const { return marks.mid(qMin<qsizetype>(taken, marks.size())); }
};
PendingMarksContent ReadPendingMarksFile(const QString& path);

// Writes the marks that left pending marks files hold to the event log file
// through `append`, for every such file of the folder that no running
// program holds. A file goes once all its marks are written; otherwise it
// stays, noting how many were, for the next start.
struct RecoveredMarks {
    QString path;
    int written = 0;
    int left = 0;
    QString reason;  // why some were left
};
using AppendMark = std::function<bool(const PendingMark& mark, QString* error)>;
QList<RecoveredMarks> RecoverPendingMarks(const QString& folder, const AppendMark& append);
