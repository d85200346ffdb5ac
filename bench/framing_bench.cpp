// Throughput of the notification de-framer on an upload-like stream:
// 37-byte packets with escaped bytes, cut into 244-byte notifications.
#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QList>
#include <random>

#include "link/Framing.h"

namespace {

class CountingSink : public FrameSink {
public:
    int64_t packets = 0;
    int64_t bytes = 0;
    bool PacketsWanted() const override { return true; }
    void PacketReceived(const uint8_t*, int32_t length, int32_t) override {
        packets++;
        bytes += length;
    }
};

QList<QByteArray> UploadLikeStream(int packetCount, int notificationSize) {
    std::mt19937 random(580);
    std::uniform_int_distribution<int> byte(0, 255);
    QByteArray stream;
    for (int p = 0; p < packetCount; ++p) {
        stream.append(char(PacketStart));
        for (int i = 0; i < 37; ++i) {
            const auto b = static_cast<uint8_t>(byte(random));
            if (b == PacketStart || b == PacketEscape || b == PacketEnd) {
                stream.append(char(PacketEscape));
                stream.append(char(b ^ 0x20));
            } else {
                stream.append(char(b));
            }
        }
        stream.append(char(PacketEnd));
    }
    QList<QByteArray> notifications;
    for (qsizetype at = 0; at < stream.size(); at += notificationSize)
        notifications.append(stream.mid(at, notificationSize));
    return notifications;
}

void BM_DeframeUpload(benchmark::State& state) {
    const auto notifications = UploadLikeStream(108000, static_cast<int>(state.range(0)));
    int64_t streamBytes = 0;
    for (const auto& n : notifications) streamBytes += n.size();
    FrameDecoder decoder;
    CountingSink sink;
    for (auto _ : state) {
        for (const auto& notification : notifications) decoder.Feed(notification, sink);
    }
    benchmark::DoNotOptimize(sink.bytes);
    state.SetBytesProcessed(state.iterations() * streamBytes);
    state.counters["packets"] = static_cast<double>(sink.packets / state.iterations());
}

}  // namespace

BENCHMARK(BM_DeframeUpload)->Arg(20)->Arg(244)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
