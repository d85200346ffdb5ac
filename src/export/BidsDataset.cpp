#include "export/BidsDataset.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "data/SampleStore.h"
#include "export/BidsChannels.h"
#include "export/BidsEvents.h"
#include "export/BidsTables.h"
#include "export/DatasetLock.h"
#include "export/FileTransaction.h"
#include "export/SnirfWriter.h"

namespace {

// The file's bytes; empty when there is no such file. False when it exists
// and cannot be read.
bool ReadExisting(const QString& path, QByteArray& bytes, QString& failure) {
    bytes.clear();
    if (!QFileInfo::exists(path)) return true;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        bytes = file.readAll();
        return true;
    }
    failure = QStringLiteral("cannot read %1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
    return false;
}

// The dataset's own files, each written only where it is missing.
void WriteDatasetFiles(FileTransaction& files, const QDir& dataset, const BidsSoftware& software) {
    const QString name = QFileInfo(dataset.absolutePath()).fileName();
    const std::pair<const char*, QByteArray> datasetFiles[] = {
        {"dataset_description.json", DatasetDescription(name, software)},
        {"README", DatasetReadme(software)},
        {"participants.json", ParticipantsSidecar()},
    };
    for (const auto& [file, bytes] : datasetFiles)
        if (!QFileInfo::exists(dataset.filePath(file))) files.WriteNew(dataset.filePath(file), bytes);
}

// The run's files, written while the dataset is locked.
BidsRunOutcome WriteLockedRun(const SampleStore& store, const SnirfImage& snirf, const BidsTarget& target, int run,
                              const BidsSoftware& software) {
    BidsRunOutcome outcome;
    if (run == 0) {
        run = NextBidsRun(target);
        if (run == 0) {
            outcome.reason = QStringLiteral("the runs already there reach the largest run number, %1").arg(MaxBidsRun);
            return outcome;
        }
    }
    const BidsRunNames names = NamesOfRun(target, run);
    outcome.run = run;
    outcome.runStem = names.runStem;
    const QDir dataset(target.dataset);
    const QDir data(dataset.filePath(names.dataFolder));
    const QString runPath = data.filePath(names.runStem);
    const QString snirfPath = runPath + QStringLiteral("_nirs.snirf");

    // Nothing of a run that exists is replaced, not even a file left alone.
    const QString existing = ExistingRunEntry(target, run);
    if (!existing.isEmpty()) {
        outcome.reason = QStringLiteral("run %1 exists already (%2)").arg(run).arg(QDir::toNativeSeparators(existing));
        return outcome;
    }
    QByteArray participants, scans;
    if (!ReadExisting(dataset.filePath(QStringLiteral("participants.tsv")), participants, outcome.reason) ||
        !ReadExisting(dataset.filePath(names.scansFile), scans, outcome.reason))
        return outcome;

    FileTransaction files;
    files.MakeFolder(data.path());
    WriteDatasetFiles(files, dataset, software);
    // Shared by the subject's runs (of this session): the same nominal layout each time.
    for (const auto& [suffix, bytes] : {std::pair{"_optodes.tsv", OptodesTable()},
                                        std::pair{"_coordsystem.json", CoordinateSystemSidecar()}}) {
        const QString path = data.filePath(names.subjectStem + QLatin1String(suffix));
        if (!QFileInfo::exists(path)) files.WriteNew(path, bytes);
    }
    files.WriteNew(runPath + QStringLiteral("_nirs.json"), NirsSidecar(store, target.task, software));
    files.WriteNew(runPath + QStringLiteral("_channels.tsv"), ChannelsTable(store));
    files.WriteNew(runPath + QStringLiteral("_events.tsv"), EventsTable(store));
    files.WriteNew(runPath + QStringLiteral("_events.json"), EventsSidecar(store));
    files.WriteNew(snirfPath, snirf.Bytes());
    files.Replace(dataset.filePath(names.scansFile),
                  WithRow(scans, {{QStringLiteral("filename"), QStringLiteral("nirs/") + QFileInfo(snirfPath).fileName()},
                                  {QStringLiteral("acq_time"), AcquisitionTime(store.RecordStartTime)}}));
    const QString participant = QStringLiteral("sub-") + target.subject;
    if (!ColumnValues(participants, QStringLiteral("participant_id")).contains(participant))
        files.Replace(dataset.filePath(QStringLiteral("participants.tsv")),
                      WithRow(participants, {{QStringLiteral("participant_id"), participant}}));
    if (!files.Failure().isEmpty()) {
        outcome.reason = files.Failure();
        return outcome;  // the transaction takes back what it wrote
    }
    files.Commit();
    outcome.written = true;
    return outcome;
}

}  // namespace

BidsRunOutcome WriteBidsRun(const SampleStore& store, const BidsTarget& target, int run, const BidsSoftware& software) {
    // Built before the dataset is locked: it takes the longest and needs none of it.
    const SnirfImage snirf = BuildSnirfImage(store, target.subject);
    if (!snirf.refusal.isEmpty()) return {false, 0, {}, snirf.refusal};
    if (run > MaxBidsRun) return {false, 0, {}, QStringLiteral("a run number is at most %1").arg(MaxBidsRun)};
    for (;;) {
        // The dataset's folder goes again, when this made it and the run fails,
        // only after the lock (whose file it holds) is released.
        FileTransaction datasetFolder;
        if (!datasetFolder.MakeFolder(target.dataset)) return {false, 0, {}, datasetFolder.Failure()};
        const DatasetLock lock(target.dataset);
        if (!lock.Held() && lock.Failure().isEmpty()) continue;  // another export took the folder back meanwhile
        if (!lock.Held()) return {false, 0, {}, lock.Failure()};
        const BidsRunOutcome outcome = WriteLockedRun(store, snirf, target, run, software);
        if (outcome.written) datasetFolder.Commit();
        return outcome;
    }
}
