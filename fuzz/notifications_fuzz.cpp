// The notification path: the bytes the sensor notifies, split into
// notifications, de-framed and each packet decoded into the record.
// First input byte: the mode (its value mod 3: real time, sensor check,
// upload) and the notification size (its value div 3; 0 sends the rest as
// one notification).

#include <QString>

#include "FuzzSupport.h"
#include "data/Clock.h"
#include "data/OleDate.h"
#include "data/PacketDecoder.h"
#include "data/SupervisionState.h"
#include "link/Framing.h"

namespace {

class QuietListener : public PacketDecoderListener {
public:
    void RepaintTrend() override {}
    void UpdateProgress() override {}
    void ShowStatusText(const QString&) override {}
};

class DecoderSink : public FrameSink {
public:
    explicit DecoderSink(PacketDecoder& decoder) : decoder_(decoder) {}
    bool PacketsWanted() const override { return true; }
    void PacketReceived(const uint8_t* packet, int32_t length, int32_t left) override {
        decoder_.CheckPacket(packet, length, left);
    }

private:
    PacketDecoder& decoder_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const uint8_t first = input.Byte();
    const int mode = first % 3;
    const size_t notificationSize = first / 3;

    SampleStore& store = EmptyRecord();
    store.CheckSensorsMode = mode == 1;
    store.UploadActive = mode == 2;
    SupervisionState supervision;
    const QString deviceName = QStringLiteral("Tq580-123456-001");
    const bool liveReview = false;
    const bool entireView = false;
    SettableClock clock(46365.5);  // 9 December 2026, noon
    QuietListener listener;
    PacketDecoder decoder({store, supervision, deviceName, liveReview, entireView, clock, listener});
    DecoderSink sink(decoder);
    FrameDecoder frames;

    while (!input.Empty()) {
        frames.Feed(input.Bytes(notificationSize == 0 ? input.Left() : notificationSize), sink);
        clock.AdvanceMilliseconds(100);
    }
    FUZZ_REQUIRE(store.SampleCount >= 0 && store.SampleCount <= MaxSamples);
    return 0;
}
