// Cost of CheckPacket per packet for a real-time measurement and for an
// upload (with the haemoglobin calculation), and proof that the hot path
// allocates nothing.
#include <benchmark/benchmark.h>

#include <array>
#include <atomic>
#include <bit>
#include <cstdlib>
#include <vector>

#include "data/Clock.h"
#include "data/PacketDecoder.h"
#include "data/SampleStore.h"
#include "data/SupervisionState.h"

// Every heap allocation of the process goes through malloc, Qt's included, so
// counting there catches them all. Sanitizer builds keep their own malloc.
namespace {
std::atomic<int64_t> Allocations{0};
}

#if !defined(__SANITIZE_ADDRESS__)
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* memory, std::size_t size);

void* malloc(std::size_t size) {
    Allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
    Allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, size);
}
void* realloc(void* memory, std::size_t size) {
    Allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(memory, size);
}
}
#endif

namespace {

using Packet = std::array<uint8_t, MeasurementPacketLength>;

void PutUnsigned16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value >> 8);
    at[1] = static_cast<uint8_t>(value);
}

void PutSingle(uint8_t* at, float value) {
    const auto bits = std::bit_cast<uint32_t>(value);
    PutUnsigned16(at, static_cast<uint16_t>(bits >> 16));
    PutUnsigned16(at + 2, static_cast<uint16_t>(bits));
}

// One packet per sequence number; in upload form every 64th sample is a reference.
std::vector<Packet> Packets(bool upload) {
    std::vector<Packet> packets(256);
    for (int seq = 0; seq < 256; ++seq) {
        uint8_t* p = packets[seq].data();
        p[0] = static_cast<uint8_t>(seq);
        PutUnsigned16(p + 1, 1100);
        PutUnsigned16(p + 3, 0x0010);
        PutUnsigned16(p + 5, 0xFFF0);
        PutUnsigned16(p + 7, 0x0400);
        for (int c = 0; c < 2; ++c) {
            uint8_t* block = p + 9 + 14 * c;
            PutUnsigned16(block, upload && seq % 64 == 0 ? 0x1000 : 0);
            PutSingle(block + 2, upload ? 30000.0f + 37 * seq + c : 0.01f * seq);
            PutSingle(block + 6, upload ? 20000.0f - 29 * seq : -0.005f * seq);
            PutSingle(block + 10, 0.65f);
        }
    }
    return packets;
}

class QuietListener : public PacketDecoderListener {
public:
    int64_t calls = 0;
    void RepaintTrend() override { calls++; }
    void UpdateProgress() override { calls++; }
    void ShowStatusText(const QString&) override { calls++; }
};

void DecodePackets(benchmark::State& state, bool upload) {
    auto* store = new SampleStore;
    SupervisionState supervision;
    const QString target = QStringLiteral("Tq580-123456-001");
    const bool liveReview = false, entireView = false;
    SettableClock clock(46000.5);
    QuietListener listener;
    PacketDecoder decoder({*store, supervision, target, liveReview, entireView, clock, listener});
    const auto packets = Packets(upload);

    store->UploadActive = upload;
    store->UploadTotal = upload ? MaxSamples : 0;
    store->RecordRateIndex = 1;
    // The first sample writes the status bar text, the one allocation allowed;
    // it also shows that the counting works.
    const int64_t atFirstSample = Allocations.load();
    decoder.CheckPacket(packets[0].data(), MeasurementPacketLength, 0);
    state.counters["first_sample_allocations"] = static_cast<double>(Allocations.load() - atFirstSample);
    size_t next = 1;
    auto decodeNext = [&] {
        decoder.CheckPacket(packets[next].data(), MeasurementPacketLength, 0);
        next = (next + 1) & 0xFF;
        if (store->SampleCount >= MaxSamples - 1) store->SampleCount = 1;  // keep the first sample
    };
    for (auto _ : state) decodeNext();

    // Counted apart from the timed loop, whose bookkeeping may allocate.
    constexpr int CountedPackets = 200000;
    const int64_t before = Allocations.load();
    for (int i = 0; i < CountedPackets; ++i) decodeNext();
    state.counters["allocations_per_packet"] = static_cast<double>(Allocations.load() - before) / CountedPackets;
    state.SetItemsProcessed(state.iterations());
    benchmark::DoNotOptimize(listener.calls);
    delete store;
}

void BM_CheckPacketRealTime(benchmark::State& state) { DecodePackets(state, false); }
void BM_CheckPacketUpload(benchmark::State& state) { DecodePackets(state, true); }

}  // namespace

BENCHMARK(BM_CheckPacketRealTime);
BENCHMARK(BM_CheckPacketUpload);
BENCHMARK_MAIN();
