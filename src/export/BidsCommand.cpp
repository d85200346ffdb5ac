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
    int run = target.firstRun > 0 ? target.firstRun : NextBidsRun(target);
    int failures = 0;
    for (const QString& input : inputs) {
        const RecordFileRead read = ReadWholeRecordFile(*store, input);
        QString failure = read.failure;
        if (failure.isEmpty()) {
            const BidsRunOutcome outcome = WriteBidsRun(*store, target, run, software);
            failure = outcome.reason;
            if (outcome.written) {
                out << QDir::toNativeSeparators(input) << " -> "
                    << QDir::toNativeSeparators(QDir(target.dataset).filePath(NamesOfRun(target, run).dataFolder))
                    << QDir::separator() << outcome.runStem << "_nirs.snirf" << Qt::endl;
                ++run;
                failure = read.damage;
            }
        }
        if (failure.isEmpty()) continue;
        ++failures;
        err << QDir::toNativeSeparators(input) << ": " << failure << Qt::endl;
    }
    return failures == 0 ? 0 : 1;
}
