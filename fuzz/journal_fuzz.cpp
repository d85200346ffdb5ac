// The crash journal's reader: the input is the whole journal file.

#include "FuzzSupport.h"
#include "journal/JournalFormat.h"
#include "journal/JournalReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SampleStore& store = EmptyRecord();
    const JournalReadResult result = ReadJournal(data, size, store);
    FUZZ_REQUIRE(store.SampleCount >= 0 && store.SampleCount <= MaxSamples);
    FUZZ_REQUIRE(result.entriesUsed * JournalEntrySize <= static_cast<int64_t>(size));
    switch (result.status) {
        case JournalReadStatus::Complete:
            FUZZ_REQUIRE(size % JournalEntrySize == 0);
            FUZZ_REQUIRE(result.entriesUsed * JournalEntrySize == static_cast<int64_t>(size));
            break;
        case JournalReadStatus::TornTail:
        case JournalReadStatus::DamagedMiddle:
            FUZZ_REQUIRE(result.entriesUsed * JournalEntrySize < static_cast<int64_t>(size));
            break;
        case JournalReadStatus::Empty:
        case JournalReadStatus::NotAJournal:
        case JournalReadStatus::NewerVersion:
            FUZZ_REQUIRE(store.SampleCount == 0 && result.entriesUsed == 0);
            break;
    }
    // Samples only ever follow a header.
    if (store.SampleCount > 0) FUZZ_REQUIRE(result.headerRead);
    // What was read encodes to entries that read back the same.
    for (int32_t i = 0; i < store.SampleCount; ++i) {
        DecodedEntry entry;
        FUZZ_REQUIRE(DecodeEntry(EncodeSampleEntry(i, store.Samples[i]).data(), entry));
        FUZZ_REQUIRE(entry.position == i && entry.sample.index == store.Samples[i].index);
    }
    return 0;
}
