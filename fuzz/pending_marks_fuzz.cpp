// A pending marks file as the next start finds it: the input is the whole
// file, read and then written to the event log by the recovery.

#include <QTemporaryDir>
#include <cstring>

#include "FuzzSupport.h"
#include "journal/JournalFormat.h"
#include "journal/PendingMarks.h"

namespace {

// Marks as the file holds them: a time that is not a number is the same
// mark when its bits are.
bool SameMarks(const QList<PendingMark>& a, const QList<PendingMark>& b) {
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a[i].event != b[i].event || std::memcmp(&a[i].tm, &b[i].tm, sizeof a[i].tm) != 0) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral(".tq580-fuzz.marks"));
    ScratchFile::WriteAt(path, QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));

    const PendingMarksContent content = ReadPendingMarksFile(path);
    FUZZ_REQUIRE(content.wholeBytes >= 0 && content.wholeBytes <= static_cast<int64_t>(size));
    FUZZ_REQUIRE(content.wholeBytes % JournalEntrySize == 0);
    if (!content.read) {
        FUZZ_REQUIRE(content.marks.isEmpty() && content.taken == 0 && !content.error.isEmpty());
    } else {
        // The file entry first, then one entry per mark at the least.
        FUZZ_REQUIRE(content.wholeBytes >= JournalEntrySize);
        FUZZ_REQUIRE((content.marks.size() + 1) * JournalEntrySize <= content.wholeBytes);
    }
    const QList<PendingMark> untaken = content.Untaken();
    FUZZ_REQUIRE(untaken.size() <= content.marks.size());

    // What the recovery writes is what the file left untaken, in its order.
    QList<PendingMark> written;
    const QList<RecoveredMarks> results = RecoverPendingMarks(folder.path(), [&written](const PendingMark& mark, QString*) {
        written.append(mark);
        return true;
    });
    FUZZ_REQUIRE(results.size() == 1);
    if (content.read) {
        FUZZ_REQUIRE(SameMarks(written, untaken));
        FUZZ_REQUIRE(results[0].written == untaken.size() && results[0].left == 0);
        FUZZ_REQUIRE(!QFile::exists(path));  // every mark written: the file goes
    } else {
        FUZZ_REQUIRE(written.isEmpty());
    }
    QFile::remove(path);
    return 0;
}
