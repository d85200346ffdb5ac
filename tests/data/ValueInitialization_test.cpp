#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <vector>

#include "data/SampleStore.h"
#include "data/ValueInitialization.h"

namespace {

// One known answer of the calculation (exact, computed outside this program):
// a sample at (Current770, Current830) against a reference at (Reference770,
// Reference830).
constexpr float Reference770 = 40581.05859375f, Reference830 = 24827.00390625f;
constexpr float Current770 = 31658.771484375f, Current830 = 18023.380859375f;
constexpr uint32_t KnownOxhbBits = 0x3D3C2FA2, KnownDxhbBits = 0x3C0335C9;

struct Row {
    uint16_t status[2];
    float i770, i830;
};

// An uploaded record whose haemoglobin values are all a recognisable 7.
void FillRecord(SampleStore& store, const std::vector<Row>& rows) {
    ResetRecord(store);
    for (const auto& row : rows) {
        MEAS_DATA_TYPE sample{};
        sample.index = store.SampleCount;
        for (int c = 0; c < ChannelCount; ++c) {
            sample.ch[c] = {row.status[c], 7, 7, 7, 0.7f, row.i770, row.i830, {}};
        }
        AppendSample(store, sample);
    }
    store.InitPointsEditable = true;
    store.DataSaved = true;
}

bool IsKnownAnswer(const CH_DATA_TYPE& channel) {
    return std::bit_cast<uint32_t>(channel.oxhb) == KnownOxhbBits &&
           std::bit_cast<uint32_t>(channel.dxhb) == KnownDxhbBits && channel.tohb == channel.oxhb + channel.dxhb;
}

bool IsZero(const CH_DATA_TYPE& channel) { return channel.oxhb == 0 && channel.dxhb == 0 && channel.tohb == 0; }
bool IsUntouched(const CH_DATA_TYPE& channel) { return channel.oxhb == 7 && channel.dxhb == 7 && channel.tohb == 7; }

bool SameBytes(const MEAS_DATA_TYPE& a, const MEAS_DATA_TYPE& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

TEST(ResetHbI, ReferencesEachChannelToItsFirstGoodSampleFromThePointOn) {
    SampleStore store;
    FillRecord(store, {
                          {{0x0000, 0x0000}, Current770, Current830},      // 0: before the point
                          {{0x8000, 0x0000}, Current770, Current830},      // 1: an older point
                          {{0x0000, 0x0001}, Reference770, Reference830},  // 2: the cursor; ch2 has an error
                          {{0x8000, 0x1000}, Reference770, Reference830},  // 3: later point; ch2's reference (bit 12 means nothing here)
                          {{0x1000, 0x4000}, Current770, Current830},      // 4: ch2 has a restart request
                          {{0x0000, 0x0000}, Current770, Current830},      // 5
                      });
    const MEAS_DATA_TYPE before0 = store.Samples[0], before1 = store.Samples[1];
    int32_t cursorChannel = 1, cursorIndex = 2;

    ASSERT_TRUE(ResetHbI(store, cursorChannel, cursorIndex));

    EXPECT_TRUE(SameBytes(store.Samples[0], before0));
    EXPECT_TRUE(SameBytes(store.Samples[1], before1));
    EXPECT_EQ(store.Samples[2].ch[0].status, 0x8000);
    EXPECT_TRUE(IsZero(store.Samples[2].ch[0]));
    EXPECT_TRUE(IsUntouched(store.Samples[2].ch[1]));
    EXPECT_EQ(store.Samples[3].ch[0].status, 0x0000) << "later points go";
    EXPECT_EQ(std::bit_cast<uint32_t>(store.Samples[3].ch[0].oxhb), 0u) << "same light as the reference";
    EXPECT_TRUE(IsZero(store.Samples[3].ch[1]));
    EXPECT_TRUE(IsKnownAnswer(store.Samples[4].ch[0])) << "bit 12 does not start a new reference";
    EXPECT_TRUE(IsUntouched(store.Samples[4].ch[1]));
    EXPECT_TRUE(IsKnownAnswer(store.Samples[5].ch[0]));
    EXPECT_TRUE(IsKnownAnswer(store.Samples[5].ch[1]));
    EXPECT_TRUE(SameBytes(store.CurrentSample, store.Samples[5]));
    EXPECT_EQ(cursorChannel, -1);
    EXPECT_EQ(cursorIndex, -1);
    EXPECT_FALSE(store.DataSaved);
}

TEST(ResetHbI, WithoutAUsableCursorNothingChanges) {
    struct Case {
        int32_t channel, index;
    };
    const Case cases[] = {{-1, 1}, {0, -1}, {0, 3}, {0, 100}, {1, 1}};  // {1, 1}: already a point
    for (const auto& c : cases) {
        SampleStore store;
        FillRecord(store, {{{0, 0}, Current770, Current830}, {{0x8000, 0}, Current770, Current830},
                           {{0, 0}, Current770, Current830}});
        const MEAS_DATA_TYPE current = store.CurrentSample;
        int32_t channel = c.channel, index = c.index;
        EXPECT_FALSE(ResetHbI(store, channel, index)) << c.channel << " " << c.index;
        for (int i = 0; i < 3; ++i) EXPECT_TRUE(IsUntouched(store.Samples[i].ch[0]) && IsUntouched(store.Samples[i].ch[1]));
        EXPECT_EQ(store.Samples[1].ch[0].status, 0x8000);
        EXPECT_TRUE(SameBytes(store.CurrentSample, current));
        EXPECT_EQ(channel, c.channel);
        EXPECT_EQ(index, c.index);
        EXPECT_TRUE(store.DataSaved);
    }
}

TEST(ClearInitPoints, GoesBackToTheSensorsReferenceSamples) {
    SampleStore store;
    FillRecord(store, {
                          {{0x8000, 0x0000}, Current770, Current830},      // 0: the first point stays; no reference yet
                          {{0x1000, 0x0002}, Reference770, Reference830},  // 1: ch1 reference; ch2 error, no reference: 0
                          {{0x8000, 0x1000}, Current770, Current830},      // 2: a point; ch2 reference
                          {{0x1000, 0x0000}, Reference770, Reference830},  // 3: ch1 bit 12 while referenced: computed
                          {{0x0000, 0x0000}, Current770, Current830},      // 4
                          {{0x1001, 0x0000}, Reference770, Reference830},  // 5: bit 12 with an error: new reference
                          {{0x0000, 0x0000}, Reference770, Reference830},  // 6
                          {{0x0040, 0x0000}, Current770, Current830},      // 7: error, not a reference: 0
                      });
    EXPECT_EQ(ClearInitPoints(store), 1);

    EXPECT_EQ(store.Samples[0].ch[0].status, 0x8000);
    EXPECT_EQ(store.Samples[2].ch[0].status, 0x0000);
    EXPECT_TRUE(IsZero(store.Samples[0].ch[0]) && IsZero(store.Samples[0].ch[1]));
    EXPECT_TRUE(IsZero(store.Samples[1].ch[0]) && IsZero(store.Samples[1].ch[1]));
    EXPECT_TRUE(IsKnownAnswer(store.Samples[2].ch[0]));
    EXPECT_TRUE(IsZero(store.Samples[2].ch[1]));
    EXPECT_EQ(std::bit_cast<uint32_t>(store.Samples[3].ch[0].oxhb), 0u);
    EXPECT_EQ(store.Samples[3].ch[0].status, 0x1000);
    // ch2 is referenced to sample 2's light: the known answer's ratios inverted.
    EXPECT_NEAR(store.Samples[3].ch[1].oxhb, -std::bit_cast<float>(KnownOxhbBits), 1e-7);
    EXPECT_NEAR(store.Samples[3].ch[1].dxhb, -std::bit_cast<float>(KnownDxhbBits), 1e-7);
    EXPECT_TRUE(IsKnownAnswer(store.Samples[4].ch[0]));
    EXPECT_TRUE(IsZero(store.Samples[5].ch[0]));
    EXPECT_EQ(std::bit_cast<uint32_t>(store.Samples[6].ch[0].oxhb), 0u) << "against sample 5's light";
    EXPECT_TRUE(IsZero(store.Samples[7].ch[0]));
    EXPECT_TRUE(SameBytes(store.CurrentSample, store.Samples[7]));
    EXPECT_FALSE(store.DataSaved);
}

TEST(ClearInitPoints, WithNoLaterPointTheRecordStaysSaved) {
    SampleStore store;
    FillRecord(store, {{{0x9000, 0x1000}, Reference770, Reference830}, {{0, 0}, Current770, Current830}});
    EXPECT_EQ(ClearInitPoints(store), 0);
    EXPECT_EQ(store.Samples[0].ch[0].status, 0x9000);
    EXPECT_TRUE(IsKnownAnswer(store.Samples[1].ch[0]));
    EXPECT_TRUE(IsKnownAnswer(store.Samples[1].ch[1]));
    EXPECT_TRUE(store.DataSaved);

    ResetRecord(store);
    EXPECT_EQ(ClearInitPoints(store), 0);
}
