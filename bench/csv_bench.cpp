// Saving and opening a full record: 108000 samples at 100 ms (3 hours).
#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QTemporaryDir>
#include <cmath>

#include "data/CsvReader.h"
#include "data/CsvWriter.h"
#include "data/OleDate.h"
#include "data/SampleStore.h"

namespace {

void FillFullRecord(SampleStore& store) {
    ResetRecord(store);
    store.RecordDeviceId = QStringLiteral("Tq580-123456-789");
    store.RecordRateIndex = 1;
    store.RecordStartTime = *OleDateFromParts({2026, 12, 9, 8, 0, 0});
    for (int32_t i = 0; i < MaxSamples; ++i) {
        const double t = i * 0.1;
        MEAS_DATA_TYPE sample{};
        sample.index = i;
        sample.seq = static_cast<uint8_t>(i);
        sample.batt = 3.7f;
        sample.acc[0] = static_cast<float>(0.1 * std::sin(t));
        sample.acc[1] = static_cast<float>(0.1 * std::cos(t));
        sample.acc[2] = 0.98f;
        for (int c = 0; c < ChannelCount; ++c) {
            auto& channel = sample.ch[c];
            channel.oxhb = static_cast<float>(0.02 * std::sin(t * 1.3 + c));
            channel.dxhb = static_cast<float>(-0.01 * std::cos(t * 0.7 + c));
            channel.tohb = channel.oxhb + channel.dxhb;
            channel.sto2 = static_cast<float>(0.65 + 0.05 * std::sin(t * 0.01));
        }
        AppendSample(store, sample);
        if (i % 1200 == 600) AddEventMark(store, i, (i / 1200) % 2 ? -1 : 1);
    }
}

void BM_SaveFullRecord(benchmark::State& state) {
    static SampleStore store;
    FillFullRecord(store);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("full.csv"));
    int calls = 0;
    for (auto _ : state) {
        const CsvWriteOutcome outcome = WriteRecordFile(store, path, [&] { calls++; });
        if (outcome.result != CsvWriteResult::Written) state.SkipWithError("not written");
    }
    state.counters["MB"] = static_cast<double>(QFileInfo(path).size()) / 1e6;
    benchmark::DoNotOptimize(calls);
}

void BM_OpenFullRecord(benchmark::State& state) {
    static SampleStore store;
    FillFullRecord(store);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("full.csv"));
    WriteRecordFile(store, path);
    for (auto _ : state) {
        const CsvReadResult result = ReadRecordFile(store, path);
        if (result.formatError || store.SampleCount != MaxSamples) state.SkipWithError("not read whole");
    }
}

}  // namespace

BENCHMARK(BM_SaveFullRecord)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenFullRecord)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
