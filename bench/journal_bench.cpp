// The crash journal's cost: one supervision tick's batch appended and made
// durable (fdatasync) while a measurement runs at its fastest rate (10
// samples a second: 5 per tick) and while an upload runs at full speed (the
// simulated link's 20000 bytes a second carry about 500 samples a second:
// 250 per tick), the whole record written anew (after a value
// initialization), and a full journal read back at the next start.
//
// CPU per tick times two is the share of one core the journal takes. The
// journal lives in a folder of the working directory, on the same disk as
// the data folder, so the fdatasync is real (not the page cache of /tmp on
// machines where that is memory).
#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>

#include "FullRecord.h"
#include "data/SampleStore.h"
#include "journal/JournalReader.h"
#include "journal/JournalWriter.h"

namespace {

const SampleStore& FullRecord() {
    static SampleStore* record = [] {
        auto* store = new SampleStore;
        FillFullRecord(*store, true);
        return store;
    }();
    return *record;
}

JournalHeader HeaderOf(const SampleStore& store) {
    return {JournalKind::Measurement, store.RecordDeviceId, store.RecordRateIndex, store.RecordStartTime};
}

QTemporaryDir& Folder() {
    static QTemporaryDir folder(QDir::currentPath() + QStringLiteral("/journal-bench-XXXXXX"));
    return folder;
}

// Appends `batch` samples per iteration and follows; a full record starts over.
void BM_JournalTick(benchmark::State& state) {
    const auto batch = static_cast<int32_t>(state.range(0));
    const SampleStore& source = FullRecord();
    SampleStore record;
    JournalWriter writer(Folder().path());
    ResetRecord(record);
    record.RecordDeviceId = source.RecordDeviceId;
    record.RecordStartTime = source.RecordStartTime;
    writer.Follow(record, HeaderOf(record));
    for (auto _ : state) {
        if (record.SampleCount + batch > MaxSamples) {
            state.PauseTiming();
            writer.Remove();
            ResetRecord(record);
            writer.Follow(record, HeaderOf(record));
            state.ResumeTiming();
        }
        for (int32_t i = 0; i < batch; ++i) AppendSample(record, source.Samples[record.SampleCount]);
        if (record.SampleCount % 1200 < batch) AddEventMark(record, record.SampleCount - 1, 1);
        if (!writer.Follow(record, HeaderOf(record))) state.SkipWithError("the journal was not written");
    }
    writer.Remove();
    state.SetItemsProcessed(state.iterations() * batch);
}
BENCHMARK(BM_JournalTick)->ArgName("samples_per_tick")->Arg(5)->Arg(250)->Unit(benchmark::kMicrosecond);

// The whole record into a new journal, as a rewrite after an edit does.
void BM_JournalWholeRecord(benchmark::State& state) {
    const SampleStore& record = FullRecord();
    JournalWriter writer(Folder().path());
    writer.Follow(record, HeaderOf(record));
    for (auto _ : state) {
        writer.Rewrite();
        if (!writer.Follow(record, HeaderOf(record))) state.SkipWithError("the journal was not written");
    }
    writer.Remove();
    state.SetItemsProcessed(state.iterations() * MaxSamples);
}
BENCHMARK(BM_JournalWholeRecord)->Unit(benchmark::kMillisecond);

// A full journal (108000 samples, 13.8 MB) read back into the record.
void BM_JournalReadFull(benchmark::State& state) {
    const SampleStore& record = FullRecord();
    JournalWriter writer(Folder().path());
    writer.Follow(record, HeaderOf(record));
    SampleStore rebuilt;
    for (auto _ : state) {
        JournalReadResult result;
        if (!ReadJournalFile(writer.Path(), rebuilt, result, nullptr) || rebuilt.SampleCount != MaxSamples)
            state.SkipWithError("the journal did not read back whole");
    }
    writer.Remove();
    state.SetItemsProcessed(state.iterations() * MaxSamples);
}
BENCHMARK(BM_JournalReadFull)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
