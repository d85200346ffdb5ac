#pragma once

#include <QByteArray>
#include <QString>
#include <bit>
#include <cstring>

#include "data/SampleStore.h"
#include "journal/JournalFormat.h"

// Every field, floating-point ones by their bits (NaN and -0 included).
inline bool SameSample(const MEAS_DATA_TYPE& a, const MEAS_DATA_TYPE& b) {
    auto same = [](float x, float y) { return std::bit_cast<uint32_t>(x) == std::bit_cast<uint32_t>(y); };
    if (std::bit_cast<uint64_t>(a.time) != std::bit_cast<uint64_t>(b.time) || a.seq != b.seq ||
        a.index != b.index || !same(a.batt, b.batt))
        return false;
    for (int i = 0; i < 3; ++i)
        if (!same(a.acc[i], b.acc[i])) return false;
    for (int c = 0; c < ChannelCount; ++c) {
        const CH_DATA_TYPE& x = a.ch[c];
        const CH_DATA_TYPE& y = b.ch[c];
        if (x.status != y.status || !same(x.oxhb, y.oxhb) || !same(x.dxhb, y.dxhb) || !same(x.tohb, y.tohb) ||
            !same(x.sto2, y.sto2) || !same(x.i770, y.i770) || !same(x.i830, y.i830) ||
            std::memcmp(x.level, y.level, sizeof x.level) != 0)
            return false;
    }
    return true;
}

inline JournalHeader HeaderOf(const SampleStore& store, JournalKind kind = JournalKind::Measurement) {
    return {kind, store.RecordDeviceId, store.RecordRateIndex, store.RecordStartTime};
}

inline void AppendEntry(QByteArray& bytes, const JournalEntry& entry) {
    bytes.append(reinterpret_cast<const char*>(entry.data()), JournalEntrySize);
}
