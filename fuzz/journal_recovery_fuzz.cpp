// Crash recovery at start, on a records folder of its own. The input is one
// byte of choices, then a journal file: bit 0 names the journal as a first
// write not yet renamed (".new"); bit 1 puts a link that points nowhere at
// the recovered record's name, bit 2 one that points into another folder.

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "FuzzSupport.h"
#include "data/CsvReader.h"
#include "journal/JournalReader.h"
#include "journal/JournalRecovery.h"

namespace {

bool InFolder(const QString& path, const QString& folder) {
    return path.isEmpty() || QFileInfo(path).absolutePath() == QFileInfo(folder).absoluteFilePath();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("records")), outside = root.filePath(QStringLiteral("outside"));
    QDir(folder).removeRecursively();
    QDir(outside).removeRecursively();
    QDir().mkpath(folder);
    QDir().mkpath(outside);

    FuzzInput input(data, size);
    const uint8_t choices = input.Byte();
    const QByteArray journal = input.Rest();
    const QString journalPath =
        QDir(folder).filePath(QStringLiteral(".tq580-fuzz.journal") + ((choices & 1) ? QStringLiteral(".new") : QString()));
    ScratchFile::WriteAt(journalPath, journal);

    // The name the record will want, from the journal as the recovery reads it.
    SampleStore& store = EmptyRecord();
    const JournalReadResult read =
        ReadJournal(reinterpret_cast<const uint8_t*>(journal.constData()), static_cast<size_t>(journal.size()), store);
    const QString wanted = RecoveredRecordPath(folder, store.RecordDeviceId, store.RecordStartTime);
    if (choices & 2) QFile::link(QDir(folder).filePath(QStringLiteral("missing/x.csv")), wanted);
    else if (choices & 4) QFile::link(QDir(outside).filePath(QStringLiteral("taken.csv")), wanted);
    const int32_t samples = store.SampleCount;

    const QList<RecoveredJournal> results = RecoverJournals(folder, EmptyRecord());
    FUZZ_REQUIRE(results.size() == 1);
    const RecoveredJournal& result = results[0];
    FUZZ_REQUIRE(result.samples == samples);
    // Nothing is written outside the records folder, nor over a link.
    FUZZ_REQUIRE(QDir(outside).isEmpty());
    FUZZ_REQUIRE(InFolder(result.recordPath, folder) && InFolder(result.asidePath, folder));
    if (choices & 6) FUZZ_REQUIRE(QFileInfo(wanted).isSymLink());
    // A folder that can be written to takes the record, whatever the links in it.
    FUZZ_REQUIRE(result.outcome != RecoveredJournal::Outcome::NotWritten);

    using Outcome = RecoveredJournal::Outcome;
    switch (result.outcome) {
    case Outcome::Recovered:
    case Outcome::RecoveredPart: {
        FUZZ_REQUIRE(samples > 0 && !QFileInfo(result.recordPath).isSymLink());
        // The record file gives back as many rows as the journal held.
        SampleStore& reread = EmptyRecord();
        const CsvReadResult back = ReadRecordFile(reread, result.recordPath);
        FUZZ_REQUIRE(back.recordReplaced && !back.formatError && reread.SampleCount == samples);
        FUZZ_REQUIRE(QFileInfo::exists(result.asidePath) == (result.outcome == Outcome::RecoveredPart));
        if (result.outcome == Outcome::Recovered) FUZZ_REQUIRE(!QFileInfo::exists(journalPath));
        break;
    }
    case Outcome::NothingToRecover:
        FUZZ_REQUIRE(samples == 0 && !QFileInfo::exists(journalPath));
        break;
    case Outcome::Unreadable:
        FUZZ_REQUIRE(read.status != JournalReadStatus::Complete && QFileInfo::exists(result.asidePath));
        break;
    case Outcome::NotWritten:
        break;
    }
    return 0;
}
