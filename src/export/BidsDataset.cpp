#include "export/BidsDataset.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "data/SampleStore.h"
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

}  // namespace

BidsRunOutcome WriteBidsRun(const SampleStore& store, const BidsTarget& target, int run, const BidsSoftware& software) {
    const BidsRunNames names = NamesOfRun(target, run);
    BidsRunOutcome outcome{false, names.runStem, {}};
    const QDir dataset(target.dataset);
    const QDir data(dataset.filePath(names.dataFolder));
    const QString runPath = data.filePath(names.runStem);
    const QString snirfPath = runPath + QStringLiteral("_nirs.snirf");

    // Nothing of a run that exists is replaced, not even a file left alone.
    const QStringList runFiles = data.entryList({names.runStem + QStringLiteral("_*")}, QDir::AllEntries | QDir::Hidden);
    if (!runFiles.isEmpty()) {
        outcome.reason = QStringLiteral("run %1 exists already (%2)")
                             .arg(run)
                             .arg(QDir::toNativeSeparators(data.filePath(runFiles.constFirst())));
        return outcome;
    }
    const SnirfImage snirf = BuildSnirfImage(store, target.subject);
    if (!snirf.refusal.isEmpty()) {
        outcome.reason = snirf.refusal;
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
    files.WriteNew(runPath + QStringLiteral("_channels.tsv"), ChannelsTable());
    files.WriteNew(runPath + QStringLiteral("_events.tsv"), EventsTable(store));
    files.WriteNew(snirfPath, QByteArray::fromRawData(snirf.bytes.data(), static_cast<qsizetype>(snirf.bytes.size())));
    files.Replace(dataset.filePath(names.scansFile),
                  WithRow(scans, {"filename", "acq_time"},
                          {QStringLiteral("nirs/") + QFileInfo(snirfPath).fileName(),
                           AcquisitionTime(store.RecordStartTime)}));
    const QString participant = QStringLiteral("sub-") + target.subject;
    if (!FirstColumn(participants).contains(participant))
        files.Replace(dataset.filePath(QStringLiteral("participants.tsv")),
                      WithRow(participants, {"participant_id"}, {participant}));
    if (!files.Failure().isEmpty()) {
        outcome.reason = files.Failure();
        return outcome;  // the transaction takes back what it wrote
    }
    files.Commit();
    outcome.written = true;
    return outcome;
}
