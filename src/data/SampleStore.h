#pragma once

#include <QString>
#include <cstdint>
#include <memory>

#include "data/Sample.h"

constexpr int32_t MaxSamples = 108000;
constexpr int MaxEventMarks = 100;

// code +n: event n started, -n: event n ended. sample -1 marks a free entry.
struct EVENT_MARK_TYPE {
    int32_t sample;
    int32_t code;
};

// The one record the program holds in memory: the samples, the header and
// the event marks. Allocated once at full capacity; never grows.
struct SampleStore {
    SampleStore();
    SampleStore(const SampleStore&) = delete;
    SampleStore& operator=(const SampleStore&) = delete;

    std::unique_ptr<MEAS_DATA_TYPE[]> Samples;  // MaxSamples entries
    int32_t SampleCount = 0;
    bool RecordFull = false;
    MEAS_DATA_TYPE CurrentSample{};
    MEAS_DATA_TYPE NoDataSample{};

    double RecordStartTime = 0;
    double RecordEndTime = 0;
    int32_t RecordRateIndex = 1;
    QString RecordDeviceId;
    QString ReceivedDeviceId;
    bool DataSaved = true;
    bool SequenceGap = false;
    bool CheckSensorsMode = false;
    bool InitPointsEditable = false;
    // The samples carry the detectors' raw 770 and 830 nm intensities: an
    // upload, whose haemoglobin values the PC computed from them.
    bool HasRawIntensities = false;
    bool UploadActive = false;
    int32_t UploadTotal = 0;

    EVENT_MARK_TYPE EventMarks[MaxEventMarks];
};

// A copy of the record (header, samples and marks), for a thread that
// writes it while the record itself goes on.
std::unique_ptr<SampleStore> CopyOfRecord(const SampleStore& store);

// A new record: no samples, no raw intensities and every event mark free.
// Each caller resets the other header fields it owns.
void ResetRecord(SampleStore& store);

// Copies the sample to the next position. Returns false, storing nothing,
// when the store is already full; sets RecordFull on the last position.
bool AppendSample(SampleStore& store, const MEAS_DATA_TYPE& sample);

// Writes a "No data" placeholder for a lost sample, with the previous
// sample's seq and the time and battery of the sample whose arrival revealed
// the loss. Refused from position 107999 on, which stays for that sample.
bool AppendLostPlaceholder(SampleStore& store, const MEAS_DATA_TYPE& revealing);

// Rows of "No data" for the time a lost link kept from a real-time record,
// each at the time the record's rate gives its position (from the record's
// start), up to the row before the row of `now` (the last row whose time is
// not after it), which may still get its sample. Returns the rows added.
int32_t FillNoDataRowsUntil(SampleStore& store, double now);

// An empty record that joins a timeline begun at timelineStart: it starts
// there, with rows of "No data" up to the row before the one of `first`'s
// time. Returns the rows added.
int32_t BeginRecordOnTimeline(SampleStore& store, double timelineStart, const MEAS_DATA_TYPE& first);

// Stands in for a single lost sample by repeating the last one (new index,
// no value-initialization mark). Refused from position 107999 on and on an
// empty record.
bool RepeatLastSample(SampleStore& store);

// Adds the mark after every mark of the same or an earlier sample, so the
// marks stay in sample order, which the file writer and the trend rely on;
// dropped when all entries are used.
bool AddEventMark(SampleStore& store, int32_t sample, int32_t code);

// Number of used event marks (they come first, in sample order).
int EventMarkCount(const SampleStore& store);

// The share of an upload's samples received so far, 0 to 100; 0 before
// the header told how many there are.
int UploadPercent(const SampleStore& store);
