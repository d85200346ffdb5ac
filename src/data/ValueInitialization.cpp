#include "data/ValueInitialization.h"

#include "data/HaemoglobinCalc.h"
#include "data/SampleStore.h"

namespace {

struct ChannelReference {
    float intensity770 = 0;
    float intensity830 = 0;
    bool valid = false;
};

void ZeroHaemoglobin(CH_DATA_TYPE& channel) {
    channel.oxhb = 0;
    channel.dxhb = 0;
    channel.tohb = 0;
}

void TakeAsReference(CH_DATA_TYPE& channel, ChannelReference& reference) {
    reference = {channel.i770, channel.i830, true};
    ZeroHaemoglobin(channel);
}

// Goes through CurrentSample, the calculation's work area, as the record's
// other calculations do; CurrentSample ends as the last sample anyway.
void Recalculate(SampleStore& store, int32_t position, int channel, const ChannelReference& reference) {
    store.CurrentSample = store.Samples[position];
    Brain_Calc(store.CurrentSample, channel, reference.intensity770, reference.intensity830);
    CH_DATA_TYPE& part = store.CurrentSample.ch[channel];
    part.tohb = part.oxhb + part.dxhb;
    store.Samples[position] = store.CurrentSample;
}

bool HasMeasurementError(const CH_DATA_TYPE& channel) {
    return (channel.status & MeasurementErrorMask) != 0;
}

}  // namespace

bool ResetHbI(SampleStore& store, int32_t& CursorChannel, int32_t& CursorIndex) {
    const int32_t first = CursorIndex;
    if (CursorChannel == -1 || first < 0 || first >= store.SampleCount) return false;
    if (store.Samples[first].ch[0].status & StatusInitPoint) return false;

    store.Samples[first].ch[0].status |= StatusInitPoint;
    ChannelReference references[ChannelCount];
    for (int32_t i = first; i < store.SampleCount; ++i) {
        if (i > first) store.Samples[i].ch[0].status &= static_cast<uint16_t>(~StatusInitPoint);
        for (int c = 0; c < ChannelCount; ++c) {
            CH_DATA_TYPE& channel = store.Samples[i].ch[c];
            if (HasMeasurementError(channel)) continue;
            if (references[c].valid)
                Recalculate(store, i, c, references[c]);
            else
                TakeAsReference(channel, references[c]);
        }
    }
    store.CurrentSample = store.Samples[store.SampleCount - 1];
    CursorChannel = -1;
    CursorIndex = -1;
    store.DataSaved = false;
    return true;
}

int ClearInitPoints(SampleStore& store) {
    if (store.SampleCount == 0) return 0;
    ChannelReference references[ChannelCount];
    int removed = 0;
    for (int32_t i = 0; i < store.SampleCount; ++i) {
        if (i > 0 && (store.Samples[i].ch[0].status & StatusInitPoint)) {
            store.Samples[i].ch[0].status &= static_cast<uint16_t>(~StatusInitPoint);
            removed++;
        }
        for (int c = 0; c < ChannelCount; ++c) {
            CH_DATA_TYPE& channel = store.Samples[i].ch[c];
            if (references[c].valid && !HasMeasurementError(channel))
                Recalculate(store, i, c, references[c]);
            else if (channel.status & StatusReferenceSample)
                TakeAsReference(channel, references[c]);
            else
                ZeroHaemoglobin(channel);
        }
    }
    store.CurrentSample = store.Samples[store.SampleCount - 1];
    if (removed > 0) store.DataSaved = false;
    return removed;
}
