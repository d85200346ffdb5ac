#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "data/RateTable.h"
#include "data/SampleStore.h"
#include "export/SnirfGaps.h"

namespace {

using Rows = std::vector<std::array<double, 3>>;

// The rows' coverage as MNE 1.3 reads them (every row one second long) and
// as later readers do (column 1): both must be the gap itself, as long as
// the gap lasts a second or more.
struct LayoutCase {
    const char* what;
    int rateIndex;
    std::vector<NoDataGap> gaps;
    Rows rows;
};

void PrintTo(const LayoutCase& c, std::ostream* out) { *out << c.what; }

class SkipLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(SkipLayout, RowsCoverEachGapInBothReadings) {
    const LayoutCase& c = GetParam();
    const SnirfStimulus stimulus = SkipStimulus(c.gaps, RateTable[c.rateIndex]);
    EXPECT_EQ(stimulus.name, "BAD_ACQ_SKIP");
    ASSERT_EQ(stimulus.rows.size(), c.rows.size()) << c.what;
    for (size_t i = 0; i < c.rows.size(); ++i) {
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(stimulus.rows[i][k], c.rows[i][k], 1e-9) << c.what << " row " << i;
    }

    // Independently of the rows asked for: every gap of a second or more is
    // covered exactly, in whole milliseconds, by one-second rows, and the
    // durations that are not 0 are the gaps.
    std::vector<double> durations;
    for (const auto& row : stimulus.rows)
        if (row[1] != 0) durations.push_back(row[1]);
    ASSERT_EQ(durations.size(), c.gaps.size());
    const double interval = RateTable[c.rateIndex] / 1000.0;
    for (size_t g = 0; g < c.gaps.size(); ++g) {
        EXPECT_NEAR(durations[g], c.gaps[g].count * interval, 1e-9);
        const double start = c.gaps[g].first * interval, end = start + durations[g];
        if (end - start < 1) continue;
        for (double t = start; t < end - 1e-9; t += 0.001) {
            bool covered = false;
            for (const auto& row : stimulus.rows) covered |= row[0] <= t + 1e-9 && t < row[0] + 1 - 1e-9;
            ASSERT_TRUE(covered) << c.what << " at " << t;
        }
        for (const auto& row : stimulus.rows) {
            const bool inGap = row[0] >= start - 1e-9 && row[0] < end;
            EXPECT_TRUE(!inGap || row[0] + 1 <= end + 1e-9) << c.what << " row at " << row[0];
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SkipLayout,
    ::testing::Values(
        LayoutCase{"0.3 s at 100 ms: one row, its true length", 1, {{300, 3}}, {{30, 0.3, 1}}},
        LayoutCase{"exactly one second: one row", 1, {{10, 10}}, {{1, 1, 1}}},
        LayoutCase{"2 s: a second row ends with the gap", 1, {{800, 20}}, {{80, 2, 1}, {81, 0, 1}}},
        LayoutCase{"2.5 s: the last row overlaps", 1, {{0, 25}}, {{0, 2.5, 1}, {1, 0, 1}, {1.5, 0, 1}}},
        LayoutCase{"one lost sample at 5 s", 5, {{3, 1}}, {{15, 5, 1}, {16, 0, 1}, {17, 0, 1}, {18, 0, 1}, {19, 0, 1}}},
        LayoutCase{"two gaps at 50 ms, one short", 0, {{2, 1}, {100, 30}}, {{0.1, 0.05, 1}, {5, 1.5, 1}, {5.5, 0, 1}}},
        LayoutCase{"no gaps", 1, {}, {}}),
    [](const ::testing::TestParamInfo<LayoutCase>& info) { return "case" + std::to_string(info.index); });

TEST(SkipLayout, A47SecondGapGetsARowEverySecond) {
    const SnirfStimulus stimulus = SkipStimulus({{1200, 470}}, RateTable[1]);
    ASSERT_EQ(stimulus.rows.size(), 47u);
    EXPECT_EQ(stimulus.rows.front(), (std::array<double, 3>{120, 47, 1}));
    EXPECT_NEAR(stimulus.rows.back()[0], 166, 1e-9);  // 166 + 1 = 167, the gap's end
}

// Which samples count as gaps: any channel without haemoglobin, a failed
// calculation ("E" with OXHb = DXHb = 0) included; which carry an error flag:
// any channel with "E", values or not.
TEST(NoDataGaps, RunsOfSamplesWithoutHaemoglobinAndWithErrorFlags) {
    SampleStore store;
    store.SampleCount = 14;
    for (int32_t i = 0; i < store.SampleCount; ++i) {
        store.Samples[i] = {};
        for (CH_DATA_TYPE& channel : store.Samples[i].ch) channel.oxhb = 0.01f;
    }
    store.Samples[0] = store.NoDataSample;              // a gap at the start
    store.Samples[3].ch[1].status = StatusNoData;        // one channel "N"
    store.Samples[4].ch[0].status = StatusNoData | 0x0003;
    store.Samples[6].ch[0].oxhb = std::numeric_limits<float>::quiet_NaN();  // read as "nan"
    store.Samples[7].ch[1].dxhb = std::numeric_limits<float>::infinity();
    store.Samples[9].ch[0].status = StatusHaemoglobinCalcError | StatusInitPoint;  // keeps its values
    store.Samples[10].ch[1] = {StatusHaemoglobinCalcError | StatusSto2CalcError, 0, 0, 0, 0.6f, 0, 0, {}};  // failed
    store.Samples[11].ch[0] = {0x0001, 0, 0, 0, 0.6f, 0, 0, {}};  // a detector's error, no values
    store.Samples[13] = store.NoDataSample;             // and at the end
    EXPECT_EQ(NoDataGaps(store), (std::vector<NoDataGap>{{0, 1}, {3, 2}, {6, 2}, {10, 2}, {13, 1}}));
    const std::vector<SkippedRuns> skipped = RunsToSkip(store);
    ASSERT_EQ(skipped.size(), 2u);
    EXPECT_STREQ(skipped[0].name, "BAD_ACQ_SKIP");
    EXPECT_EQ(skipped[0].runs, NoDataGaps(store));
    EXPECT_STREQ(skipped[1].name, "BAD_CALCULATION");
    EXPECT_EQ(skipped[1].runs, (std::vector<NoDataGap>{{9, 3}}));
}

}  // namespace
