// Saving and opening a full record: 108000 samples at 100 ms (3 hours).
#include <benchmark/benchmark.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <cmath>

#include <fcntl.h>
#include <unistd.h>

#include "data/CsvReader.h"
#include "data/CsvWriter.h"
#include "data/OleDate.h"
#include "FullRecord.h"
#include "data/SampleStore.h"

namespace {

// The floor the record file is measured against: the same bytes written to
// a new file from memory, and read back into memory, with plain system
// calls in one block each. Both stay in the page cache.
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

bool PlainWrite(const QByteArray& bytes, const QString& path) {
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (descriptor < 0) return false;
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t result = ::write(descriptor, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (result <= 0) break;
        written += result;
    }
    return ::close(descriptor) == 0 && written == bytes.size();
}

bool PlainRead(const QString& path, QByteArray& into) {
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (descriptor < 0) return false;
    qsizetype read = 0;
    for (;;) {
        const ssize_t result = ::read(descriptor, into.data() + read, static_cast<size_t>(into.size() - read));
        if (result <= 0) break;
        read += result;
    }
    return ::close(descriptor) == 0 && read == into.size();
}

// Counters: floor_ms, the plain I/O of the same bytes per iteration, timed
// between the iterations; x_floor, the measured operation over that floor.
void ReportFloor(benchmark::State& state, double operationSeconds, double floorSeconds) {
    if (state.iterations() == 0 || floorSeconds <= 0) return;
    state.counters["floor_ms"] = floorSeconds * 1e3 / static_cast<double>(state.iterations());
    state.counters["x_floor"] = operationSeconds / floorSeconds;
}

void BM_SaveFullRecord(benchmark::State& state) {
    static SampleStore store;
    FillFullRecord(store);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("full.csv"));
    const QString plainPath = folder.filePath(QStringLiteral("plain.csv"));
    if (WriteRecordFile(store, path).result != CsvWriteResult::Written) state.SkipWithError("not written");
    QFile saved(path);
    const QByteArray bytes = saved.open(QIODevice::ReadOnly) ? saved.readAll() : QByteArray();

    int calls = 0;
    double saveSeconds = 0;
    double floorSeconds = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        const CsvWriteOutcome outcome = WriteRecordFile(store, path, [&] { calls++; });
        saveSeconds += SecondsSince(start);
        if (outcome.result != CsvWriteResult::Written) state.SkipWithError("not written");

        state.PauseTiming();
        const Clock::time_point plainStart = Clock::now();
        if (!PlainWrite(bytes, plainPath)) state.SkipWithError("plain write failed");
        floorSeconds += SecondsSince(plainStart);
        state.ResumeTiming();
    }
    state.counters["MB"] = static_cast<double>(bytes.size()) / 1e6;
    ReportFloor(state, saveSeconds, floorSeconds);
    benchmark::DoNotOptimize(calls);
}

void BM_OpenFullRecord(benchmark::State& state) {
    static SampleStore store;
    FillFullRecord(store);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("full.csv"));
    WriteRecordFile(store, path);
    QByteArray plain(QFileInfo(path).size(), '\0');

    double openSeconds = 0;
    double floorSeconds = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        const CsvReadResult result = ReadRecordFile(store, path);
        openSeconds += SecondsSince(start);
        if (result.formatError || store.SampleCount != MaxSamples) state.SkipWithError("not read whole");

        state.PauseTiming();
        const Clock::time_point plainStart = Clock::now();
        if (!PlainRead(path, plain)) state.SkipWithError("plain read failed");
        floorSeconds += SecondsSince(plainStart);
        benchmark::DoNotOptimize(plain.data());
        state.ResumeTiming();
    }
    ReportFloor(state, openSeconds, floorSeconds);
}

}  // namespace

BENCHMARK(BM_SaveFullRecord)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenFullRecord)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
