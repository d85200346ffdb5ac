#include "app/RecordRequest.h"

#include <cmath>

#include "data/RateTable.h"
#include "data/SampleStore.h"

namespace {
// Item i of the rates offered is rate index i + 1.
constexpr int RateItemCount = RateCount - 1;

double SecondsOfItem(int rateItem) { return RateTable[rateItem + 1] / 1000.0; }
}  // namespace

std::optional<int> RecordRateItem(const QString& seconds) {
    bool number = false;
    const double value = seconds.trimmed().toDouble(&number);
    if (!number) return std::nullopt;
    for (int item = 0; item < RateItemCount; ++item)
        if (std::abs(value - SecondsOfItem(item)) < 1e-9) return item;
    return std::nullopt;
}

double LongestRecordSeconds(int rateItem) { return MaxSamples * SecondsOfItem(rateItem); }
