#pragma once

#include <cmath>

#include "data/OleDate.h"
#include "data/SampleStore.h"

// A full record for the file benchmarks: 108000 samples at 100 ms (3 hours)
// with an event mark every 2 minutes. With gaps, every 10000th stretch ends
// in 10 samples without data, and every 3000th sample is a
// value-initialization point.
inline void FillFullRecord(SampleStore& store, bool withGaps = false) {
    ResetRecord(store);
    store.RecordDeviceId = QStringLiteral("Tq580-123456-789");
    store.RecordRateIndex = 1;
    store.RecordStartTime = *OleDateFromParts({2026, 12, 9, 8, 0, 0});
    for (int32_t i = 0; i < MaxSamples; ++i) {
        const double t = i * 0.1;
        MEAS_DATA_TYPE sample{};
        sample.index = i;
        sample.seq = static_cast<uint8_t>(i);
        sample.batt = 3.7f;
        sample.acc[0] = static_cast<float>(0.1 * std::sin(t));
        sample.acc[1] = static_cast<float>(0.1 * std::cos(t));
        sample.acc[2] = 0.98f;
        const bool lost = withGaps && i % 10000 >= 9990;
        for (int c = 0; c < ChannelCount; ++c) {
            auto& channel = sample.ch[c];
            channel.status = lost ? StatusNoData : 0;
            channel.oxhb = lost ? 0 : static_cast<float>(0.02 * std::sin(t * 1.3 + c));
            channel.dxhb = lost ? 0 : static_cast<float>(-0.01 * std::cos(t * 0.7 + c));
            channel.tohb = channel.oxhb + channel.dxhb;
            channel.sto2 = lost ? 0 : static_cast<float>(0.65 + 0.05 * std::sin(t * 0.01));
        }
        if (withGaps && i % 3000 == 0) sample.ch[0].status |= StatusInitPoint;
        AppendSample(store, sample);
        if (i % 1200 == 600) AddEventMark(store, i, (i / 1200) % 2 ? -1 : 1);
    }
}
