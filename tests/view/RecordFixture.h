#pragma once

#include <functional>

#include "data/OleDate.h"
#include "data/RateTable.h"
#include "data/SampleStore.h"

// A record filled the way the packet decoder fills it: consecutive samples
// at the rate, the newest also in CurrentSample. `shape` may set any field.
inline void FillRecord(SampleStore& store, int32_t count, int32_t rateIndex, double startTime,
                       const std::function<void(int32_t, MEAS_DATA_TYPE&)>& shape = {}) {
    ResetRecord(store);
    store.RecordRateIndex = rateIndex;
    store.RecordStartTime = startTime;
    for (int32_t i = 0; i < count; ++i) {
        MEAS_DATA_TYPE sample{};
        sample.index = i;
        sample.time = startTime + double(RateTable[rateIndex]) * i / MillisecondsPerDay;
        sample.batt = 2.8f;
        sample.acc[2] = 1;
        for (auto& channel : sample.ch) {
            channel.sto2 = 0.5f;
            channel.oxhb = 0.1f;
            channel.dxhb = 0.05f;
            channel.tohb = 0.15f;
        }
        if (shape) shape(i, sample);
        AppendSample(store, sample);
        store.CurrentSample = sample;
    }
}

// 10:00:00 on a day in 2024.
inline double TenOClock() { return *OleDateFromParts({2024, 5, 17, 10, 0, 0, 0}); }
