// Exporting a full record as SNIRF: 108000 samples at 100 ms (3 hours), with
// event marks, value-initialization points and a run of lost samples.
#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QTemporaryDir>
#include <cmath>

#include "data/OleDate.h"
#include "FullRecord.h"
#include "data/SampleStore.h"
#include "export/SnirfWriter.h"

namespace {

void BM_ExportFullRecordAsSnirf(benchmark::State& state) {
    static SampleStore store;
    FillFullRecord(store, true);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("full.snirf"));
    for (auto _ : state) {
        const SnirfWriteOutcome outcome = WriteSnirfFile(store, path);
        if (!outcome.written) state.SkipWithError(outcome.reason.toStdString().c_str());
    }
    state.counters["MB"] = static_cast<double>(QFileInfo(path).size()) / 1e6;
}
BENCHMARK(BM_ExportFullRecordAsSnirf)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
