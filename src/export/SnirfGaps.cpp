#include "export/SnirfGaps.h"

#include "data/SampleStore.h"

namespace {

template <typename Predicate>
std::vector<NoDataGap> RunsWhere(const SampleStore& store, Predicate holds) {
    std::vector<NoDataGap> runs;
    for (int32_t position = 0; position < store.SampleCount; ++position) {
        if (!holds(store.Samples[position])) continue;
        if (!runs.empty() && runs.back().first + runs.back().count == position) ++runs.back().count;
        else runs.push_back({position, 1});
    }
    return runs;
}

bool EitherChannelFlagged(const MEAS_DATA_TYPE& sample) {
    return HasErrorFlag(sample.ch[0]) || HasErrorFlag(sample.ch[1]);
}

}  // namespace

bool LacksHaemoglobin(const MEAS_DATA_TYPE& sample) {
    return !HasHaemoglobin(sample.ch[0]) || !HasHaemoglobin(sample.ch[1]);
}

std::vector<NoDataGap> NoDataGaps(const SampleStore& store) { return RunsWhere(store, LacksHaemoglobin); }

std::vector<SkippedRuns> RunsToSkip(const SampleStore& store) {
    return {{SkipStimulusName, NoDataGaps(store)}, {CalculationStimulusName, RunsWhere(store, EitherChannelFlagged)}};
}

SnirfStimulus SkipStimulus(const std::vector<NoDataGap>& gaps, int32_t intervalMilliseconds, const char* name) {
    SnirfStimulus stimulus{name, {}};
    // Whole milliseconds, so that a gap of exactly n seconds gets no extra row.
    for (const NoDataGap& gap : gaps) {
        const int64_t onset = int64_t{gap.first} * intervalMilliseconds;
        const int64_t duration = int64_t{gap.count} * intervalMilliseconds;
        stimulus.rows.push_back({onset / 1000.0, duration / 1000.0, 1.0});
        const int64_t seconds = (duration - 1) / 1000;  // rows after the first
        for (int64_t k = 1; k <= seconds; ++k) {
            const int64_t start = k < seconds ? onset + 1000 * k : onset + duration - 1000;
            stimulus.rows.push_back({start / 1000.0, 0.0, 1.0});
        }
    }
    return stimulus;
}
