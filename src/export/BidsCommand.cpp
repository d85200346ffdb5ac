#include "export/BidsCommand.h"

#include <QDir>
#include <QTextStream>
#include <memory>

#include "data/SampleStore.h"
#include "export/BidsDataset.h"
#include "export/ExportCommand.h"

int ExportBidsFiles(const QStringList& inputs, const BidsTarget& target, const BidsSoftware& software,
                    QTextStream& out, QTextStream& err) {
    // One store for all files: it is as large as the longest record.
    const auto store = std::make_unique<SampleStore>();
    // The run asked for, counted on past each run written; 0: each the next in the dataset.
    int64_t run = target.firstRun;
    int failures = 0;
    for (const QString& input : inputs) {
        const RecordFileRead read = ReadWholeRecordFile(*store, input);
        QString failure = read.failure;
        if (failure.isEmpty() && run > MaxBidsRun)
            failure = QStringLiteral("no run number follows %1, the largest").arg(MaxBidsRun);
        if (failure.isEmpty()) {
            const BidsRunOutcome outcome = WriteBidsRun(*store, target, static_cast<int>(run), software);
            failure = outcome.reason;
            if (outcome.written) {
                out << QDir::toNativeSeparators(input) << " -> "
                    << QDir::toNativeSeparators(
                           QDir(target.dataset).filePath(NamesOfRun(target, outcome.run).dataFolder))
                    << QDir::separator() << outcome.runStem << "_nirs.snirf" << Qt::endl;
                if (run > 0) ++run;
                failure = read.damage;
            }
        }
        if (failure.isEmpty()) continue;
        ++failures;
        err << QDir::toNativeSeparators(input) << ": " << failure << Qt::endl;
    }
    return failures == 0 ? 0 : 1;
}
