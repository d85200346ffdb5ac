#pragma once

#include <cstdint>
#include <vector>

#include "export/SnirfEvents.h"

struct MEAS_DATA_TYPE;
struct SampleStore;

// A run of samples without haemoglobin values: positions first .. first + count - 1.
struct NoDataGap {
    int32_t first = 0;
    int32_t count = 0;
    bool operator==(const NoDataGap&) const = default;
};

// The name analysis tools skip when they filter (MNE: skip_by_annotation).
constexpr const char* SkipStimulusName = "BAD_ACQ_SKIP";

// A sample whose haemoglobin is missing in either channel: a placeholder for
// a lost sample, a channel a file marks "N", or a value that is not a number.
bool LacksHaemoglobin(const MEAS_DATA_TYPE& sample);

// Every run of such samples, in order.
std::vector<NoDataGap> NoDataGaps(const SampleStore& store);

// The gaps as one stimulus condition. Each gap is one row with its true
// onset and duration. Readers that take every row as one second long (MNE
// 1.3) would see only its first second, so rows of duration 0 follow every
// second after the onset, the last one ending where the gap ends: either
// way the rows cover the gap and, beyond a gap shorter than a second,
// nothing else. intervalMilliseconds is the record's sampling interval.
SnirfStimulus SkipStimulus(const std::vector<NoDataGap>& gaps, int32_t intervalMilliseconds);
