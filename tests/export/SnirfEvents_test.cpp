#include <gtest/gtest.h>

#include <QString>
#include <initializer_list>
#include <utility>

#include "data/SampleStore.h"
#include "export/SnirfEvents.h"

namespace {

using Rows = std::vector<std::array<double, 3>>;

struct EventCase {
    const char* what;
    std::vector<std::pair<int32_t, int32_t>> marks;  // position, code
    std::vector<int32_t> initPoints;
    std::vector<std::pair<std::string, Rows>> expected;
};

void PrintTo(const EventCase& c, std::ostream* out) { *out << c.what; }

// At 500 ms a position is half a second.
class StimulusConditionsTest : public ::testing::TestWithParam<EventCase> {};

TEST_P(StimulusConditionsTest, MarksBecomeConditions) {
    const EventCase& c = GetParam();
    SampleStore store;
    store.RecordRateIndex = 3;
    store.SampleCount = 100;
    for (int32_t position = 0; position < store.SampleCount; ++position) store.Samples[position] = {};
    for (const auto& [position, code] : c.marks) ASSERT_TRUE(AddEventMark(store, position, code));
    for (int32_t position : c.initPoints) store.Samples[position].ch[0].status |= StatusInitPoint;

    const std::vector<SnirfStimulus> conditions = StimulusConditions(store);
    // Whatever the expected rows say: each mark inside the record is a row's
    // start or end, in the condition of its number.
    for (const auto& [position, code] : c.marks) {
        if (position >= store.SampleCount) continue;
        const double time = position * 0.5;
        bool found = false;
        for (const SnirfStimulus& condition : conditions)
            if (condition.name == std::to_string(code < 0 ? -code : code))
                for (const auto& row : condition.rows)
                    found |= code >= 0 ? row[0] == time : (row[0] + row[1] == time || row[0] == time);
        EXPECT_TRUE(found) << c.what << ": mark " << code << " at " << position;
    }
    ASSERT_EQ(conditions.size(), c.expected.size()) << c.what;
    for (size_t i = 0; i < conditions.size(); ++i) {
        EXPECT_EQ(conditions[i].name, c.expected[i].first) << c.what;
        EXPECT_EQ(conditions[i].rows, c.expected[i].second) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StimulusConditionsTest,
    ::testing::Values(
        EventCase{"no marks", {}, {}, {}},
        EventCase{"start closed by its end", {{4, 1}, {10, -1}}, {}, {{"1", {{2.0, 3.0, 1.0}}}}},
        EventCase{"start without an end lasts 0", {{4, 2}}, {}, {{"2", {{2.0, 0.0, 1.0}}}}},
        EventCase{"an end of another number does not close it",
                  {{4, 1}, {6, -2}, {8, -1}},
                  {},
                  {{"1", {{2.0, 2.0, 1.0}}}, {"2", {{0.0, 3.0, 1.0}}}}},
        EventCase{"an end with no start spans from the record's start", {{6, -3}}, {}, {{"3", {{0.0, 3.0, 1.0}}}}},
        EventCase{"numbers in ascending order, each start in onset order",
                  {{2, 9}, {3, 1}, {4, -9}, {5, 1}, {9, -1}},
                  {},
                  {{"1", {{1.5, 3.0, 1.0}, {2.5, 0.0, 1.0}}}, {"9", {{1.0, 1.0, 1.0}}}}},
        EventCase{"a second pair of the same number", {{0, 4}, {2, -4}, {6, 4}, {7, -4}}, {},
                  {{"4", {{0.0, 1.0, 1.0}, {3.0, 0.5, 1.0}}}}},
        EventCase{"value-initialization points last, as their own condition",
                  {{1, 5}},
                  {0, 99},
                  {{"5", {{0.5, 0.0, 1.0}}}, {"Value-Initialization", {{0.0, 0.0, 1.0}, {49.5, 0.0, 1.0}}}}},
        EventCase{"a mark past the last sample is left out", {{100, 1}}, {}, {}},
        // Every mark is in a row, whatever its pairing.
        EventCase{"a repeated end stands on its own", {{4, 1}, {10, -1}, {14, -1}}, {},
                  {{"1", {{2.0, 3.0, 1.0}, {7.0, 0.0, 1.0}}}}},
        EventCase{"two starts, two ends: in the order they came", {{2, 2}, {4, 2}, {6, -2}, {10, -2}}, {},
                  {{"2", {{1.0, 2.0, 1.0}, {2.0, 3.0, 1.0}}}}},
        EventCase{"two ends with no start", {{6, -3}, {8, -3}}, {}, {{"3", {{0.0, 3.0, 1.0}, {4.0, 0.0, 1.0}}}}},
        EventCase{"a start after a pair, never ended", {{1, 5}, {3, -5}, {5, 5}}, {},
                  {{"5", {{0.5, 1.0, 1.0}, {2.5, 0.0, 1.0}}}}}),
    [](const ::testing::TestParamInfo<EventCase>& info) { return "case" + std::to_string(info.index); });

TEST(StimulusConditions, TimesFollowTheRecordsInterval) {
    SampleStore store;
    store.SampleCount = 8;
    for (int32_t position = 0; position < store.SampleCount; ++position) store.Samples[position] = {};
    AddEventMark(store, 7, 1);
    store.RecordRateIndex = 5;  // 5000 ms
    EXPECT_EQ(StimulusConditions(store)[0].rows, (Rows{{35.0, 0.0, 1.0}}));
    store.RecordRateIndex = 0;  // 50 ms
    EXPECT_EQ(StimulusConditions(store)[0].rows, (Rows{{7 * 0.05, 0.0, 1.0}}));
}

}  // namespace
