#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "view/MovingAverage.h"
#include "view/RecordFixture.h"
#include "view/TrendGeometry.h"

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Infinity = std::numeric_limits<double>::infinity();

void ExpectPane(const PaneRect& pane, int left, int top, int right, int bottom) {
    EXPECT_EQ(pane.Left, left);
    EXPECT_EQ(pane.Top, top);
    EXPECT_EQ(pane.Right, right);
    EXPECT_EQ(pane.Bottom, bottom);
}

TEST(TrendLayout, StacksThePanesVerticallyOrPutsTheChannelsSideBySide) {
    const TrendLayout vertical = ComputeTrendLayout(1000, 600, VerticalArrangement);
    EXPECT_EQ(vertical.PW, 960);
    EXPECT_EQ(vertical.HH, 173);  // (600 - 80) / 3, truncated
    ExpectPane(vertical.Channel[0], 20, 20, 980, 193);
    ExpectPane(vertical.Channel[1], 20, 213, 980, 386);
    ExpectPane(vertical.Acceleration, 20, 406, 980, 579);
    EXPECT_EQ(vertical.DX, 0);

    const TrendLayout horizontal = ComputeTrendLayout(1001, 600, HorizontalArrangement);
    EXPECT_EQ(horizontal.PW, 470);  // (1001 - 60) / 2, truncated
    EXPECT_EQ(horizontal.HH, 360);
    EXPECT_EQ(horizontal.AH, 180);
    ExpectPane(horizontal.Channel[0], 20, 20, 490, 380);
    ExpectPane(horizontal.Channel[1], 510, 20, 980, 380);
    ExpectPane(horizontal.Acceleration, 20, 400, 490, 580);
    EXPECT_EQ(horizontal.DX, 490);
    EXPECT_EQ(PaneWidthFor(1001, HorizontalArrangement), 470);
    EXPECT_EQ(PaneWidthFor(1001, VerticalArrangement), 961);
}

TEST(HaemoglobinScale, EachScalingLabelsItsAxis) {
    struct Case {
        int item;
        double top, bottom;
        const char* quarter;
        const char* half;
    };
    const Case cases[] = {{0, 1.2, -0.4, "0.8", "0.4"},       {1, 0.6, -0.2, "0.4", "0.2"},
                          {2, 0.3, -0.1, "0.2", "0.1"},       {3, 0.15, -0.05, "0.100", "0.050"},
                          {4, 0.075, -0.025, "0.050", "0.025"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        const HaemoglobinScale scale = ComputeHaemoglobinScale(c.item, 200);
        EXPECT_DOUBLE_EQ(scale.Top, c.top);
        EXPECT_DOUBLE_EQ(scale.Bottom, c.bottom);
        EXPECT_DOUBLE_EQ(scale.PixelsPerMM, 200 / (c.top - c.bottom));
        EXPECT_EQ(ScaleLabelText(0.2 * scale.Scale, scale.Decimals), c.quarter);
        EXPECT_EQ(ScaleLabelText(0.1 * scale.Scale, scale.Decimals), c.half);
    }
}

TEST(FirstShownSample, FollowsTheNewestLiveSampleOrTheScrollBar) {
    EXPECT_EQ(FirstShownSample(true, 500, 800, false, 0), 0);     // grows from the left
    EXPECT_EQ(FirstShownSample(true, 800, 800, false, 0), 0);
    EXPECT_EQ(FirstShownSample(true, 801, 800, false, 0), 1);     // newest in the last column
    EXPECT_EQ(FirstShownSample(true, 10000, 800, true, 50), 9200);
    EXPECT_EQ(FirstShownSample(false, 10000, 800, true, 4321), 4321);
    EXPECT_EQ(FirstShownSample(false, 10000, 800, false, 4321), 0);
    EXPECT_EQ(ShownColumns(9500, 10000, 800), 500);
    EXPECT_EQ(ShownColumns(0, 10000, 800), 800);
    EXPECT_EQ(ShownColumns(200, 100, 800), 0);
}

TEST(TrendTimeGrid, SkipsTheLineOnTheLeftEdgeAndStepsByRate) {
    EXPECT_EQ(TrendGridStep(0), 100);
    EXPECT_EQ(TrendGridStep(2), 100);
    EXPECT_EQ(TrendGridStep(3), 120);
    EXPECT_EQ(TrendGridStep(5), 120);
    EXPECT_EQ(FirstGridColumn(0, 100), 100);
    EXPECT_EQ(FirstGridColumn(300, 100), 100);
    EXPECT_EQ(FirstGridColumn(250, 100), 50);
    EXPECT_EQ(FirstGridColumn(1, 120), 119);
    EXPECT_EQ(ElapsedSecondsAt(300, 1), 30);
    EXPECT_EQ(ElapsedSecondsAt(107999, 5), 539995);
    EXPECT_EQ(ElapsedSecondsAt(3, 0), 0);  // 150 ms, whole seconds
}

TEST(ValueRows, ClampAsEachTraceRequires) {
    const PaneRect pane{20, 100, 820, 300};  // 200 pixels high
    const HaemoglobinScale scale = ComputeHaemoglobinScale(1, 200);  // -0.2 .. 0.6 mM, 250 px/mM
    EXPECT_EQ(ItemRow(0.6, pane, scale), 100);
    EXPECT_EQ(ItemRow(0.001, pane, scale), 249);   // 249.75, truncated
    EXPECT_EQ(ItemRow(-0.099, pane, scale), 274);
    EXPECT_EQ(ItemRow(0.61, pane, scale), 100);
    EXPECT_EQ(ItemRow(-0.3, pane, scale), 300);
    EXPECT_EQ(ItemRow(NaN, pane, scale), 100);
    EXPECT_EQ(ItemRow(-Infinity, pane, scale), 300);

    EXPECT_EQ(Sto2Row(1.0, pane), 100);
    EXPECT_EQ(Sto2Row(0.5, pane), 200);
    EXPECT_EQ(Sto2Row(0.0, pane), 300);
    EXPECT_EQ(Sto2Row(1.2, pane), 100);
    EXPECT_EQ(Sto2Row(NaN, pane), 100);
    EXPECT_EQ(Sto2Row(-0.1, pane), 320);    // below zero is not clamped
    EXPECT_GT(Sto2Row(-Infinity, pane), 300);  // and stays a pixel row

    EXPECT_EQ(LevelRow(4000, pane), 100);
    EXPECT_EQ(LevelRow(4001, pane), 100);
    EXPECT_EQ(LevelRow(65535, pane), 100);
    EXPECT_EQ(LevelRow(1000, pane), 250);
    EXPECT_EQ(LevelRow(0, pane), 300);

    EXPECT_EQ(AccelerationRow(0, pane), 200);
    EXPECT_EQ(AccelerationRow(1, pane), 150);
    EXPECT_EQ(AccelerationRow(-1, pane), 250);
    EXPECT_EQ(AccelerationRow(2.5, pane), 100);
    EXPECT_EQ(AccelerationRow(-3, pane), 300);
    EXPECT_EQ(AccelerationRow(NaN, pane), 100);
}

// Means of the sample indices themselves, so each column's window shows in its mean.
std::vector<double> MeansOfIndices(int32_t first, int32_t columns, int32_t back, int32_t ahead, int32_t count,
                                   std::vector<double> values = {}) {
    if (values.empty())
        for (int32_t i = 0; i < count; ++i) values.push_back(i);
    std::vector<double> means(columns, -1);
    SlidingMeans(first, columns, back, ahead, count, [&](int32_t i) { return values[i]; },
                 [&](int column, double mean) { means[column] = mean; });
    return means;
}

TEST(SlidingMeans, ElevenPointsAverageOnlyTheSamplesTheRecordHas) {
    // Trailing window at the record's start: 0, then (0+1)/2, ... then 10 samples' worth.
    const std::vector<double> trailing = MeansOfIndices(0, 12, 10, 0, 100);
    EXPECT_DOUBLE_EQ(trailing[0], 0);
    EXPECT_DOUBLE_EQ(trailing[1], 0.5);
    EXPECT_DOUBLE_EQ(trailing[10], 5);   // 0..10
    EXPECT_DOUBLE_EQ(trailing[11], 6);   // 1..11
    // Centred window at both edges of a stopped record of 100 samples.
    const std::vector<double> start = MeansOfIndices(0, 3, 5, 5, 100);
    EXPECT_DOUBLE_EQ(start[0], 2.5);     // 0..5
    EXPECT_DOUBLE_EQ(start[1], 3);       // 0..6
    const std::vector<double> end = MeansOfIndices(94, 6, 5, 5, 100);
    EXPECT_DOUBLE_EQ(end[0], 94);        // 89..99, all there
    EXPECT_DOUBLE_EQ(end[5], 96.5);      // 94..99, the right side cut off
    // A window starting in the middle of the record sums its whole window first.
    EXPECT_DOUBLE_EQ(MeansOfIndices(50, 1, 10, 0, 100)[0], 45);
    // No average: each sample's own value, infinities included.
    const std::vector<double> own = MeansOfIndices(0, 3, 0, 0, 3, {1, -Infinity, 3});
    EXPECT_EQ(own[1], -Infinity);
}

TEST(SlidingMeans, ANumberThatIsNotFiniteSpoilsOnlyTheWindowsHoldingIt) {
    std::vector<double> values(40, 1.0);
    values[10] = NaN;
    const std::vector<double> means = MeansOfIndices(0, 40, 2, 0, 40, values);
    EXPECT_DOUBLE_EQ(means[9], 1);
    EXPECT_TRUE(std::isnan(means[10]));
    EXPECT_TRUE(std::isnan(means[12]));
    EXPECT_DOUBLE_EQ(means[13], 1);
    EXPECT_DOUBLE_EQ(means[39], 1);
}

TEST(Overview, PicksEvenlySpreadSamplesAndPlacesMarksOnTheirColumns) {
    EXPECT_EQ(OverviewSample(0, 10000, 800), 6);
    EXPECT_EQ(OverviewSample(799, 10000, 800), 9993);
    EXPECT_EQ(OverviewSample(0, 300, 800), 0);    // a short record stops early
    EXPECT_EQ(OverviewSample(533, 300, 800), 200);
    EXPECT_EQ(OverviewColumn(0, 10000, 800), 0);
    EXPECT_EQ(OverviewColumn(9999, 10000, 800), 799);
    EXPECT_EQ(OverviewColumn(800, 800, 800), 800);
}

TEST(Overview, OneHourAtTenSamplesASecondGetsTenMinuteLines) {
    const uint32_t tmax = OverviewTimeSpan(36000, 800, 1);
    EXPECT_EQ(tmax, 3600u);
    const uint32_t step = CalcTimeGrid(tmax, 800);
    EXPECT_EQ(step, 600u);
    const int expected[] = {133, 266, 400, 533, 666};
    for (int k = 1; k <= 5; ++k) EXPECT_EQ(OverviewGridColumn(k, step, tmax, 800), expected[k - 1]) << k;
    EXPECT_EQ(OverviewGridColumn(6, step, tmax, 800), 800);  // on the right edge: not drawn
    EXPECT_EQ(OverviewTimeSpan(300, 800, 1), 80u);           // shorter than the pane: the pane's span
    EXPECT_EQ(OverviewTimeSpan(108000, 800, 5), 540000u);
}

TEST(CalcTimeGrid, ChoosesTheFirstStepCoveringAHundredPixels) {
    // With a screen of 100 samples, q equals the span.
    const std::pair<uint32_t, uint32_t> cases[] = {
        {0, 1},       {1, 1},       {2, 5},       {5, 5},       {6, 10},      {30, 30},   {31, 60},
        {60, 60},     {61, 300},    {1800, 1800}, {1801, 3600}, {3601, 7200}, {43201, 86400},
        {86400, 86400}, {86401, 86400}, {4000000000u, 86400}};
    for (const auto& [q, step] : cases) EXPECT_EQ(CalcTimeGrid(q, 100), step) << "q " << q;
    EXPECT_EQ(CalcTimeGrid(3600, 0), 86400u);  // no trend painted yet: no division by zero
}

TEST(ScrollRangeRule, ShowsTheEndOfALongerRecordWithItsStep) {
    const ScrollRange fits = ScrollRangeRule(800, 800);
    EXPECT_FALSE(fits.Visible);
    const ScrollRange longer = ScrollRangeRule(10000, 800);
    EXPECT_TRUE(longer.Visible);
    EXPECT_EQ(longer.Maximum, 9200);
    EXPECT_EQ(longer.SingleStep, 50);
    EXPECT_EQ(ScrollRangeRule(819, 800).SingleStep, 1);
    EXPECT_EQ(ScrollRangeRule(820, 800).SingleStep, 10);
    EXPECT_EQ(ScrollRangeRule(999, 800).SingleStep, 10);
    EXPECT_EQ(ScrollRangeRule(1000, 800).SingleStep, 50);
}

TEST(SampleUnderPointer, OnlyStrictlyInsideAPaneAndWithinTheRecord) {
    const TrendLayout layout = ComputeTrendLayout(1000, 600, VerticalArrangement);  // ch2 at 213..386
    EXPECT_EQ(SampleUnderPointer(layout, 120, 100, 0, 5000).Index, 100);
    EXPECT_EQ(SampleUnderPointer(layout, 120, 100, 0, 5000).Channel, 0);
    const CursorHit second = SampleUnderPointer(layout, 120, 300, 4000, 5000);
    EXPECT_EQ(second.Channel, 1);
    EXPECT_EQ(second.Index, 4100);
    EXPECT_EQ(SampleUnderPointer(layout, 20, 100, 0, 5000).Index, -1);   // on the frame
    EXPECT_EQ(SampleUnderPointer(layout, 120, 213, 0, 5000).Index, -1);  // on the top edge
    EXPECT_EQ(SampleUnderPointer(layout, 120, 200, 0, 5000).Index, -1);  // between the panes
    EXPECT_EQ(SampleUnderPointer(layout, 120, 500, 0, 5000).Index, -1);  // acceleration pane
    EXPECT_EQ(SampleUnderPointer(layout, 120, 100, 0, 100).Index, -1);   // past the record's end
    EXPECT_EQ(SampleUnderPointer(layout, 120, 100, 0, 101).Index, 100);
}

TEST(CursorMayTakeInitPoint, NotAtTheEdgesNorNextToAPoint) {
    SampleStore store;
    FillRecord(store, 100, 1, TenOClock());
    store.InitPointsEditable = true;
    EXPECT_FALSE(CursorMayTakeInitPoint(store, 1));
    EXPECT_TRUE(CursorMayTakeInitPoint(store, 2));
    EXPECT_TRUE(CursorMayTakeInitPoint(store, 97));
    EXPECT_FALSE(CursorMayTakeInitPoint(store, 98));
    EXPECT_FALSE(CursorMayTakeInitPoint(store, 99));
    store.Samples[50].ch[0].status |= StatusInitPoint;
    EXPECT_FALSE(CursorMayTakeInitPoint(store, 50));
    EXPECT_FALSE(CursorMayTakeInitPoint(store, 51));
    EXPECT_FALSE(CursorMayTakeInitPoint(store, 52));
    EXPECT_TRUE(CursorMayTakeInitPoint(store, 53));
    EXPECT_TRUE(CursorMayTakeInitPoint(store, 49));
    store.InitPointsEditable = false;
    EXPECT_FALSE(CursorMayTakeInitPoint(store, 20));
}

}  // namespace
