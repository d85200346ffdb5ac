#include "data/SampleStore.h"

#include <algorithm>

#include "data/OleDate.h"
#include "data/RateTable.h"

namespace {
constexpr int32_t LastPosition = MaxSamples - 1;
}

SampleStore::SampleStore() : Samples(new MEAS_DATA_TYPE[MaxSamples]()) {
    for (auto& channel : NoDataSample.ch) channel.status = StatusNoData;
    for (auto& mark : EventMarks) mark = {-1, 0};
}

std::unique_ptr<SampleStore> CopyOfRecord(const SampleStore& store) {
    auto copy = std::make_unique<SampleStore>();
    std::copy(store.Samples.get(), store.Samples.get() + store.SampleCount, copy->Samples.get());
    copy->SampleCount = store.SampleCount;
    copy->RecordFull = store.RecordFull;
    copy->CurrentSample = store.CurrentSample;
    copy->RecordStartTime = store.RecordStartTime;
    copy->RecordEndTime = store.RecordEndTime;
    copy->RecordRateIndex = store.RecordRateIndex;
    copy->RecordDeviceId = store.RecordDeviceId;
    copy->ReceivedDeviceId = store.ReceivedDeviceId;
    copy->DataSaved = store.DataSaved;
    copy->SequenceGap = store.SequenceGap;
    copy->CheckSensorsMode = store.CheckSensorsMode;
    copy->InitPointsEditable = store.InitPointsEditable;
    copy->HasRawIntensities = store.HasRawIntensities;
    copy->UploadActive = store.UploadActive;
    copy->UploadTotal = store.UploadTotal;
    std::copy(std::begin(store.EventMarks), std::end(store.EventMarks), std::begin(copy->EventMarks));
    return copy;
}

void ResetRecord(SampleStore& store) {
    store.SampleCount = 0;
    store.HasRawIntensities = false;
    for (auto& mark : store.EventMarks) mark = {-1, 0};
}

bool AppendSample(SampleStore& store, const MEAS_DATA_TYPE& sample) {
    if (store.SampleCount >= MaxSamples) return false;
    store.Samples[store.SampleCount] = sample;
    store.SampleCount++;
    if (store.SampleCount == MaxSamples) store.RecordFull = true;
    return true;
}

bool AppendLostPlaceholder(SampleStore& store, const MEAS_DATA_TYPE& revealing) {
    const int32_t position = store.SampleCount;
    if (position >= LastPosition) return false;
    MEAS_DATA_TYPE& placeholder = store.Samples[position];
    placeholder = store.NoDataSample;
    placeholder.seq = position > 0 ? store.Samples[position - 1].seq : revealing.seq;
    placeholder.index = position;
    placeholder.time = revealing.time;
    placeholder.batt = revealing.batt;
    store.SampleCount++;
    return true;
}

int32_t FillNoDataRowsUntil(SampleStore& store, double now) {
    if (store.SampleCount == 0 || !IsValidRateIndex(store.RecordRateIndex)) return 0;
    const int64_t start = OleDateToMilliseconds(store.RecordStartTime);
    const int64_t interval = RateTable[store.RecordRateIndex];
    // The row of `now` may still get its sample: only the rows before it are missed.
    const int64_t due = (OleDateToMilliseconds(now) - start) / interval;
    int32_t added = 0;
    while (store.SampleCount < due) {
        MEAS_DATA_TYPE row = store.Samples[store.SampleCount - 1];
        row.time = MillisecondsToOleDate(start + int64_t{store.SampleCount} * interval);
        if (!AppendLostPlaceholder(store, row)) break;
        ++added;
    }
    if (added > 0) store.RecordEndTime = store.Samples[store.SampleCount - 1].time;
    return added;
}

int32_t BeginRecordOnTimeline(SampleStore& store, double timelineStart, const MEAS_DATA_TYPE& first) {
    store.RecordStartTime = timelineStart;
    if (store.SampleCount != 0 || !IsValidRateIndex(store.RecordRateIndex)) return 0;
    const int64_t start = OleDateToMilliseconds(timelineStart);
    const int64_t interval = RateTable[store.RecordRateIndex];
    const int64_t due = (OleDateToMilliseconds(first.time) - start) / interval;
    int32_t added = 0;
    while (store.SampleCount < due) {
        MEAS_DATA_TYPE row = first;
        row.time = MillisecondsToOleDate(start + int64_t{store.SampleCount} * interval);
        if (!AppendLostPlaceholder(store, row)) break;
        ++added;
    }
    if (added > 0) store.RecordEndTime = store.Samples[store.SampleCount - 1].time;
    return added;
}

bool RepeatLastSample(SampleStore& store) {
    const int32_t position = store.SampleCount;
    if (position == 0 || position >= LastPosition) return false;
    MEAS_DATA_TYPE& repeat = store.Samples[position];
    repeat = store.Samples[position - 1];
    repeat.index = position;
    for (auto& channel : repeat.ch) channel.status &= ~StatusInitPoint;
    store.SampleCount++;
    return true;
}

bool AddEventMark(SampleStore& store, int32_t sample, int32_t code) {
    int position = EventMarkCount(store);
    if (position == MaxEventMarks) return false;
    // Marks of later samples move up one entry. A live mark lands on the
    // newest sample and moves nothing; a merged log may go back in time.
    for (; position > 0 && store.EventMarks[position - 1].sample > sample; --position)
        store.EventMarks[position] = store.EventMarks[position - 1];
    store.EventMarks[position] = {sample, code};
    return true;
}

int EventMarkCount(const SampleStore& store) {
    const auto* end = std::find_if(std::begin(store.EventMarks), std::end(store.EventMarks),
                                   [](const EVENT_MARK_TYPE& mark) { return mark.sample < 0; });
    return static_cast<int>(end - std::begin(store.EventMarks));
}

int UploadPercent(const SampleStore& store) {
    if (store.UploadTotal <= 0) return 0;
    return static_cast<int>(int64_t(store.SampleCount) * 100 / store.UploadTotal);
}
