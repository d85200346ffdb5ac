// The event log as the merge reads it, merged into a record. The input is
// the record's rate index (1 byte), sample count (4 bytes), start and end
// time (8 bytes each, little-endian doubles), then the event log file.

#include <QList>

#include "FuzzSupport.h"
#include "storage/EventMerge.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    SampleStore& store = EmptyRecord();
    store.RecordRateIndex = input.Byte() % 8;  // 6 and 7: no rate
    store.SampleCount = static_cast<int32_t>(input.Unsigned32() % (MaxSamples + 1));
    store.RecordStartTime = input.Double();
    store.RecordEndTime = input.Double();
    for (int m = 0; m < 3; ++m) AddEventMark(store, m, m + 1);  // marks the merge replaces

    static const ScratchFile file("events.evl");
    file.Write(input.Rest());
    QList<EventLogRecord> records;
    FUZZ_REQUIRE(ReadEventLog(file.path, records, nullptr));
    FUZZ_REQUIRE(records.size() == static_cast<qsizetype>((size < 21 ? 0 : size - 21) / 16));

    const MergeOutcome outcome = MergeEventMarks(store, records);
    FUZZ_REQUIRE(outcome.cleared == 3);
    FUZZ_REQUIRE(outcome.merged == EventMarkCount(store));
    RequireMarksInsideRecord(store);
    return 0;
}
