#include "export/SnirfGaps.h"

#include <cmath>

#include "data/SampleStore.h"

bool LacksHaemoglobin(const MEAS_DATA_TYPE& sample) {
    for (const CH_DATA_TYPE& channel : sample.ch) {
        if (channel.status & StatusNoData) return true;
        if (!std::isfinite(channel.oxhb) || !std::isfinite(channel.dxhb)) return true;
    }
    return false;
}

std::vector<NoDataGap> NoDataGaps(const SampleStore& store) {
    std::vector<NoDataGap> gaps;
    for (int32_t position = 0; position < store.SampleCount; ++position) {
        if (!LacksHaemoglobin(store.Samples[position])) continue;
        if (!gaps.empty() && gaps.back().first + gaps.back().count == position) ++gaps.back().count;
        else gaps.push_back({position, 1});
    }
    return gaps;
}

SnirfStimulus SkipStimulus(const std::vector<NoDataGap>& gaps, int32_t intervalMilliseconds) {
    SnirfStimulus stimulus{SkipStimulusName, {}};
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
