#include <gtest/gtest.h>

#include <vector>

#include "data/RateTable.h"
#include "data/SampleStore.h"

namespace {

MEAS_DATA_TYPE SampleWithSeq(uint8_t seq, double time = 0, float batt = 3.7f) {
    MEAS_DATA_TYPE sample{};
    sample.seq = seq;
    sample.time = time;
    sample.batt = batt;
    sample.ch[0].oxhb = 0.5f;
    sample.ch[0].status = StatusInitPoint;
    sample.ch[1].status = StatusInitPoint | 0x0001;
    return sample;
}

void FillTo(SampleStore& store, int32_t count) {
    for (int32_t i = store.SampleCount; i < count; ++i) {
        auto sample = SampleWithSeq(static_cast<uint8_t>(i));
        sample.index = i;
        AppendSample(store, sample);
    }
}

}  // namespace

TEST(SampleStore, StartsEmptyWithFreeMarksAndNoDataTemplate) {
    SampleStore store;
    EXPECT_EQ(store.SampleCount, 0);
    EXPECT_FALSE(store.RecordFull);
    EXPECT_TRUE(store.DataSaved);
    EXPECT_EQ(EventMarkCount(store), 0);
    for (const auto& channel : store.NoDataSample.ch) {
        EXPECT_EQ(channel.status, StatusNoData);
        EXPECT_EQ(channel.oxhb, 0.0f);
        EXPECT_EQ(channel.sto2, 0.0f);
    }
}

TEST(SampleStore, CapacityBoundary) {
    SampleStore store;
    FillTo(store, MaxSamples - 1);
    EXPECT_FALSE(store.RecordFull);

    EXPECT_TRUE(AppendSample(store, SampleWithSeq(1)));  // the 108000th
    EXPECT_EQ(store.SampleCount, MaxSamples);
    EXPECT_TRUE(store.RecordFull);

    EXPECT_FALSE(AppendSample(store, SampleWithSeq(2)));  // the 108001st
    EXPECT_EQ(store.SampleCount, MaxSamples);
}

TEST(SampleStore, PlaceholderCarriesNoDataPreviousSeqAndRevealingTimeAndBattery) {
    SampleStore store;
    AppendSample(store, SampleWithSeq(10, 100.0, 3.9f));
    const auto revealing = SampleWithSeq(15, 100.5, 3.6f);

    ASSERT_TRUE(AppendLostPlaceholder(store, revealing));
    const auto& placeholder = store.Samples[1];
    EXPECT_EQ(placeholder.seq, 10);
    EXPECT_EQ(placeholder.index, 1);
    EXPECT_EQ(placeholder.time, 100.5);
    EXPECT_EQ(placeholder.batt, 3.6f);
    for (const auto& channel : placeholder.ch) {
        EXPECT_EQ(channel.status, StatusNoData);
        EXPECT_EQ(channel.oxhb, 0.0f);
    }
    EXPECT_EQ(placeholder.acc[0], 0.0f);
}

TEST(SampleStore, PlaceholdersLeaveTheLastPositionForTheRevealingSample) {
    SampleStore store;
    FillTo(store, MaxSamples - 2);  // two positions left
    const auto revealing = SampleWithSeq(50);

    EXPECT_TRUE(AppendLostPlaceholder(store, revealing));
    EXPECT_EQ(store.SampleCount, MaxSamples - 1);
    EXPECT_FALSE(AppendLostPlaceholder(store, revealing));
    EXPECT_EQ(store.SampleCount, MaxSamples - 1);

    EXPECT_TRUE(AppendSample(store, revealing));
    EXPECT_TRUE(store.RecordFull);
}

TEST(SampleStore, RepeatCopiesTheLastSampleWithNewIndexAndNoInitPoint) {
    SampleStore store;
    auto first = SampleWithSeq(10, 5.0);
    first.index = 0;
    AppendSample(store, first);

    ASSERT_TRUE(RepeatLastSample(store));
    const auto& repeat = store.Samples[1];
    EXPECT_EQ(store.SampleCount, 2);
    EXPECT_EQ(repeat.index, 1);
    EXPECT_EQ(repeat.seq, 10);
    EXPECT_EQ(repeat.time, 5.0);
    EXPECT_EQ(repeat.ch[0].oxhb, 0.5f);
    EXPECT_EQ(repeat.ch[0].status, 0);
    EXPECT_EQ(repeat.ch[1].status, 0x0001);
}

TEST(SampleStore, RepeatRefusedOnEmptyRecordAndAtTheLastPosition) {
    SampleStore store;
    EXPECT_FALSE(RepeatLastSample(store));
    FillTo(store, MaxSamples - 1);
    EXPECT_FALSE(RepeatLastSample(store));
    EXPECT_EQ(store.SampleCount, MaxSamples - 1);
}

TEST(SampleStore, EventMarksFillFirstFreeAndDropWhenFull) {
    SampleStore store;
    for (int i = 0; i < MaxEventMarks; ++i) EXPECT_TRUE(AddEventMark(store, i * 10, 1 + i % 9));
    EXPECT_EQ(EventMarkCount(store), MaxEventMarks);

    EXPECT_FALSE(AddEventMark(store, 5000, 3));
    EXPECT_EQ(store.EventMarks[MaxEventMarks - 1].sample, (MaxEventMarks - 1) * 10);

    ResetRecord(store);
    EXPECT_EQ(EventMarkCount(store), 0);
    EXPECT_TRUE(AddEventMark(store, 7, -2));
    EXPECT_EQ(store.EventMarks[0].sample, 7);
    EXPECT_EQ(store.EventMarks[0].code, -2);
}

// Marks that arrive out of time order (a merged log whose clock went back)
// take their place by sample; marks of one sample keep their arrival order;
// a full table takes nothing, not even a mark of an earlier sample.
TEST(SampleStore, EventMarksStayInSampleOrder) {
    SampleStore store;
    for (const auto& [sample, code] : {std::pair{40, 1}, {10, 2}, {40, -1}, {10, -2}, {0, 3}})
        AddEventMark(store, sample, code);
    std::vector<std::pair<int, int>> marks;
    for (int i = 0; i < EventMarkCount(store); ++i)
        marks.emplace_back(store.EventMarks[i].sample, store.EventMarks[i].code);
    EXPECT_EQ(marks, (std::vector<std::pair<int, int>>{{0, 3}, {10, 2}, {10, -2}, {40, 1}, {40, -1}}));

    while (EventMarkCount(store) < MaxEventMarks) AddEventMark(store, 50, 4);
    EXPECT_FALSE(AddEventMark(store, 5, 5));
    EXPECT_EQ(store.EventMarks[1].sample, 10);
}

TEST(RateTable, IndexZeroIsValidWithoutLabel) {
    EXPECT_TRUE(IsValidRateIndex(0));
    EXPECT_EQ(RateTable[0], 50);
    EXPECT_STREQ(RateLabels[0], "");
    EXPECT_STREQ(RateLabels[4], "1.0sec");
    EXPECT_FALSE(IsValidRateIndex(6));
    for (int i = 0; i < RateCount; ++i) EXPECT_DOUBLE_EQ(SamplesPerSecond[i] * RateTable[i], 1000.0);
}
