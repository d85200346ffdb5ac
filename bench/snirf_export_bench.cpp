// Exporting a full record as SNIRF: 108000 samples at 100 ms (3 hours), with
// event marks, value-initialization points and a run of lost samples; beside
// it the same file's arrays written with the HDF5 C API alone, the least any
// writer of that content can take. The export should stay within twice it.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "FullRecord.h"
#include "Hdf5Arrays.h"
#include "data/SampleStore.h"
#include "export/SnirfWriter.h"

namespace {

SampleStore& Record() {
    static SampleStore store;
    static const bool filled = (FillFullRecord(store, true), true);
    (void)filled;
    return store;
}

void BM_ExportFullRecordAsSnirf(benchmark::State& state) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("full.snirf"));
    for (auto _ : state) {
        const SnirfWriteOutcome outcome = WriteSnirfFile(Record(), path);
        if (!outcome.written) state.SkipWithError(outcome.reason.toStdString().c_str());
    }
    state.counters["MB"] = static_cast<double>(QFileInfo(path).size()) / 1e6;
}
BENCHMARK(BM_ExportFullRecordAsSnirf)->Unit(benchmark::kMillisecond);

void BM_SameArraysWithTheHdf5Library(benchmark::State& state) {
    QTemporaryDir folder;
    const QString exported = folder.filePath(QStringLiteral("full.snirf"));
    if (!WriteSnirfFile(Record(), exported).written) state.SkipWithError("the export failed");
    const std::vector<Hdf5Array> arrays = ReadHdf5Arrays(QFile::encodeName(exported).toStdString());
    const std::string path = QFile::encodeName(folder.filePath(QStringLiteral("arrays.h5"))).toStdString();
    for (auto _ : state) {
        if (!WriteHdf5Arrays(path, arrays)) state.SkipWithError("the library failed");
    }
    state.counters["MB"] = static_cast<double>(QFileInfo(QFile::decodeName(path.c_str())).size()) / 1e6;
    state.counters["datasets"] = static_cast<double>(arrays.size());
}
BENCHMARK(BM_SameArraysWithTheHdf5Library)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
