#include <bit>

#include "data/PacketDecoderTest.h"

namespace {

// A known answer of the haemoglobin calculation, computed outside this program.
constexpr float Reference770 = 40581.05859375f, Reference830 = 24827.00390625f;
constexpr float Current770 = 31658.771484375f, Current830 = 18023.380859375f;
constexpr uint32_t KnownOxhbBits = 0x3D3C2FA2, KnownDxhbBits = 0x3C0335C9;

// 9 December 2026 14:30:05 in packed BCD.
constexpr uint32_t HeaderDate = 0x261209, HeaderTime = 0x143005;

}  // namespace

class UploadDecoderTest : public PacketDecoderTest {
protected:
    void SetUp() override {
        PacketDecoderTest::SetUp();
        StartUpload();
        clock.Set(*OleDateFromParts({2030, 1, 1, 0, 0, 0, 0}));  // the PC's time must not leak in
    }
};

TEST_F(UploadDecoderTest, HeaderSetsRateCountAndStartTimeAndStoresNothing) {
    Feed(UploadHeader(4, 2500, HeaderDate, HeaderTime), 40);
    EXPECT_EQ(store.UploadTotal, 2500);
    EXPECT_TRUE(store.HasRawIntensities);
    EXPECT_EQ(store.RecordRateIndex, 4);
    EXPECT_EQ(store.SampleCount, 0);
    EXPECT_EQ(listener.progressCalls, 1);
    EXPECT_EQ(store.ReceivedDeviceId, targetDeviceName);

    Feed(MeasurementPacket(0, {0, Current770, Current830}), 3);
    ASSERT_EQ(store.SampleCount, 1);
    EXPECT_EQ(FormatDateTime(store.RecordStartTime), "2026/12/09 14:30:05");
    EXPECT_EQ(store.Samples[0].time, *OleDateFromParts({2026, 12, 9, 14, 30, 5, 0}));
    ASSERT_EQ(listener.statusTexts.size(), 1);
    EXPECT_EQ(listener.statusTexts[0],
              QString::fromUtf8("DeviceID[ Tq580-123456-001 ]    Start[ 2026/12/09 14:30:05 ]\u3000Uploading..."));
    EXPECT_EQ(listener.repaints, 0);
}

TEST_F(UploadDecoderTest, UnusableHeadersAreIgnored) {
    const QByteArray headers[] = {
        UploadHeader(1, 100, HeaderDate, HeaderTime, 1),          // not a header packet
        UploadHeader(1, 100, HeaderDate, HeaderTime, 0, 0x1235),  // wrong marker
        UploadHeader(6, 100, HeaderDate, HeaderTime),             // no such rate
        UploadHeader(0xFFFF, 100, HeaderDate, HeaderTime),
        UploadHeader(1, 0x80000000u, HeaderDate, HeaderTime),     // count past any record
        MeasurementPacket(3, {0x1000, Reference770, Reference830}),  // a sample before the header
    };
    for (const auto& header : headers) Feed(header);
    EXPECT_EQ(store.UploadTotal, 0);
    EXPECT_FALSE(store.HasRawIntensities);
    EXPECT_EQ(store.RecordRateIndex, 1);
    EXPECT_EQ(store.SampleCount, 0);
    EXPECT_EQ(listener.progressCalls, 0);
    EXPECT_FALSE(decoder.ReferenceValid[0]);

    Feed(UploadHeader(5, 10, HeaderDate, HeaderTime));
    EXPECT_EQ(store.UploadTotal, 10);
    EXPECT_EQ(store.RecordRateIndex, 5);
}

TEST_F(UploadDecoderTest, HeaderWithNoSamplesLeavesTheNextPacketAHeaderCandidate) {
    store.CurrentSample.time = 1234.5;
    Feed(UploadHeader(3, 0, HeaderDate, HeaderTime));
    EXPECT_EQ(store.UploadTotal, 0);
    EXPECT_EQ(store.RecordRateIndex, 3);
    EXPECT_EQ(store.CurrentSample.time, 1234.5);
    EXPECT_EQ(listener.progressCalls, 1);

    Feed(MeasurementPacket(0));
    EXPECT_EQ(store.SampleCount, 0);
    Feed(UploadHeader(2, 7, HeaderDate, HeaderTime));
    EXPECT_EQ(store.UploadTotal, 7);
    EXPECT_EQ(listener.progressCalls, 2);
}

TEST_F(UploadDecoderTest, ImpossibleStartDateBecomesTheFirstOfTheMonth) {
    Feed(UploadHeader(1, 5, 0x260431, 0x083000));
    Feed(MeasurementPacket(0));
    EXPECT_EQ(FormatDateTime(store.RecordStartTime), "2026/04/01 08:30:00");
}

TEST_F(UploadDecoderTest, HaemoglobinFollowsTheLatestReferenceOfEachChannel) {
    decoder.ReferenceValid[0] = decoder.ReferenceValid[1] = true;  // left over from an earlier upload
    Feed(UploadHeader(1, 6, HeaderDate, HeaderTime));
    const ChannelBlock current{0, Current770, Current830, 0.61f};
    const ChannelBlock reference{0x1000, Reference770, Reference830, 0.62f};
    Feed(MeasurementPacket(0, current, current));                      // no reference yet
    Feed(MeasurementPacket(1, reference, current));                    // ch1 reference
    Feed(MeasurementPacket(2, current, {0x0001, Reference770, 1.0f}));  // ch2 error
    Feed(MeasurementPacket(3, {0x4000, Current770, Current830}, reference));  // ch1 restart request; ch2 reference
    Feed(MeasurementPacket(4, {0x1000, Current770, Current830}, {0, 0, Current830}));  // ch1 new reference; ch2 no light
    Feed(MeasurementPacket(5, {0, Reference770, Reference830}, current));

    ASSERT_EQ(store.SampleCount, 6);
    auto bits = [](float value) { return std::bit_cast<uint32_t>(value); };
    const MEAS_DATA_TYPE* s = store.Samples.get();
    EXPECT_EQ(s[0].ch[0].oxhb, 0);
    EXPECT_EQ(s[0].ch[1].dxhb, 0);
    EXPECT_EQ(s[0].ch[0].i770, Current770);
    EXPECT_EQ(s[0].ch[0].sto2, 0.61f);
    EXPECT_EQ(s[1].ch[0].oxhb, 0);
    EXPECT_EQ(s[1].ch[0].status, 0x1000);
    EXPECT_EQ(bits(s[2].ch[0].oxhb), KnownOxhbBits);
    EXPECT_EQ(bits(s[2].ch[0].dxhb), KnownDxhbBits);
    EXPECT_EQ(s[2].ch[0].tohb, s[2].ch[0].oxhb + s[2].ch[0].dxhb);
    EXPECT_EQ(s[2].ch[1].oxhb, 0);
    EXPECT_EQ(s[2].ch[1].status, 0x0001);
    EXPECT_EQ(s[3].ch[0].oxhb, 0);
    EXPECT_EQ(s[3].ch[0].status, 0x4000);
    EXPECT_EQ(s[4].ch[0].oxhb, 0);
    EXPECT_EQ(s[4].ch[1].oxhb, 0);
    EXPECT_EQ(s[4].ch[1].status, 0x0100) << "no light: calculation error";
    // Sample 5 against sample 4's light: the known answer's ratios inverted.
    EXPECT_NEAR(s[5].ch[0].oxhb, -std::bit_cast<float>(KnownOxhbBits), 1e-7);
    EXPECT_EQ(bits(s[5].ch[1].oxhb), KnownOxhbBits);
    EXPECT_EQ(decoder.ReferenceIntensity[0].i770, Current770);
    EXPECT_EQ(decoder.ReferenceIntensity[1].i830, Reference830);
}

TEST_F(UploadDecoderTest, SampleTimesFollowTheRateFromTheStartPastADay) {
    constexpr int32_t Count = 17300;  // 5 s apart: past 24 hours at 17280
    Feed(UploadHeader(5, Count, HeaderDate, HeaderTime));
    for (int32_t k = 0; k < Count; ++k) Feed(MeasurementPacket(static_cast<uint8_t>(k)));

    ASSERT_EQ(store.SampleCount, Count);
    const double start = *OleDateFromParts({2026, 12, 9, 14, 30, 5, 0});
    EXPECT_EQ(store.Samples[1].time, *OleDateFromParts({2026, 12, 9, 14, 30, 10, 0}));
    EXPECT_EQ(store.Samples[17280].time, start + 1.0);
    EXPECT_EQ(store.Samples[Count - 1].time, *OleDateFromParts({2026, 12, 10, 14, 31, 40, 0}));
    EXPECT_EQ(store.RecordEndTime, store.Samples[Count - 1].time);
    EXPECT_EQ(store.Samples[Count - 1].index, Count - 1);
    EXPECT_FALSE(store.SequenceGap);
}

TEST_F(UploadDecoderTest, GapIsFlaggedWithoutFillingAndARepeatIsDropped) {
    Feed(UploadHeader(2, 100, HeaderDate, HeaderTime));
    Feed(MeasurementPacket(3));
    Feed(MeasurementPacket(3));
    EXPECT_EQ(store.SampleCount, 1);
    EXPECT_FALSE(store.SequenceGap);
    Feed(MeasurementPacket(6));
    ASSERT_EQ(store.SampleCount, 2);
    EXPECT_EQ(store.Samples[1].seq, 6);
    EXPECT_EQ(store.Samples[1].ch[0].status, 0);
    EXPECT_TRUE(store.SequenceGap);
    // Its time counts stored samples, not sequence numbers.
    EXPECT_EQ(store.Samples[1].time, *OleDateFromParts({2026, 12, 9, 14, 30, 5, 200}));
}

TEST_F(UploadDecoderTest, ProgressOncePerNotificationAndAtTheAnnouncedCount) {
    Feed(UploadHeader(1, 3, HeaderDate, HeaderTime), 74);
    EXPECT_EQ(listener.progressCalls, 1);
    Feed(MeasurementPacket(0), 37);
    EXPECT_EQ(listener.progressCalls, 1);
    Feed(MeasurementPacket(1), 5);
    EXPECT_EQ(listener.progressCalls, 2);
    Feed(MeasurementPacket(2), 80);
    EXPECT_EQ(listener.progressCalls, 3) << "the last announced sample";
    Feed(MeasurementPacket(3), 80);
    EXPECT_EQ(listener.progressCalls, 3);
    EXPECT_EQ(listener.repaints, 0);
}
