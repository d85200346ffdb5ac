#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "data/Sample.h"
#include "export/SnirfEvents.h"

struct SampleStore;

// A run of samples: positions first .. first + count - 1.
struct NoDataGap {
    int32_t first = 0;
    int32_t count = 0;
    bool operator==(const NoDataGap&) const = default;
};

// The name analysis tools skip when they filter (MNE: skip_by_annotation).
constexpr const char* SkipStimulusName = "BAD_ACQ_SKIP";
// Rows whose error column says "E": the sensor or the calculation failed in a
// channel. A name that begins with "BAD_" keeps such rows out of epochs.
constexpr const char* CalculationStimulusName = "BAD_CALCULATION";

// Inline: the export asks them of every channel of every sample.

// A channel marked with an error ("E" in the record file), not "No data".
inline bool HasErrorFlag(const CH_DATA_TYPE& channel) {
    return !(channel.status & StatusNoData) && (channel.status & CsvErrorMask) != 0;
}
// A failed calculation: an error flag and OXHb = DXHb = 0, which is what the
// calculation leaves when it cannot compute; zeros that measure nothing.
inline bool CalculationFailed(const CH_DATA_TYPE& channel) {
    return HasErrorFlag(channel) && channel.oxhb == 0 && channel.dxhb == 0;
}
// A channel part with OXHb and DXHb values: neither "No data", nor a failed
// calculation, nor a value that is not a number.
inline bool HasHaemoglobin(const CH_DATA_TYPE& channel) {
    return !(channel.status & StatusNoData) && !CalculationFailed(channel) && std::isfinite(channel.oxhb) &&
           std::isfinite(channel.dxhb);
}

// A sample whose haemoglobin is missing in either channel: a placeholder for
// a lost sample, a channel a file marks "N", a failed calculation or a value
// that is not a number.
bool LacksHaemoglobin(const MEAS_DATA_TYPE& sample);

// Every run of such samples, in order.
std::vector<NoDataGap> NoDataGaps(const SampleStore& store);

// The runs of samples readers should leave out, by the name they are marked
// with: the samples without haemoglobin (which filters skip), and the
// samples with an error flag in either channel, their values kept or not.
struct SkippedRuns {
    const char* name;
    std::vector<NoDataGap> runs;
};
std::vector<SkippedRuns> RunsToSkip(const SampleStore& store);

// The runs as one stimulus condition of that name. Each run is one row with
// its true onset and duration. Readers that take every row as one second
// long (MNE 1.3) would see only its first second, so rows of duration 0
// follow every second after the onset, the last one ending where the run
// ends: either way the rows cover the run and, beyond a run shorter than a
// second, nothing else. intervalMilliseconds is the record's sampling
// interval. No row reaches past the end of the record's last sample.
SnirfStimulus SkipStimulus(const std::vector<NoDataGap>& gaps, int32_t intervalMilliseconds,
                           const char* name = SkipStimulusName);
