#include "journal/JournalReader.h"

#include "data/SampleStore.h"
#include "data/WholeFile.h"

namespace {

void ApplyHeader(const JournalHeader& header, SampleStore& store) {
    store.RecordDeviceId = header.deviceId;
    store.RecordRateIndex = header.rateIndex;
    store.RecordStartTime = header.startTime;
}

// One entry into the record; false when it does not fit the record so far.
bool Apply(const DecodedEntry& entry, SampleStore& store, JournalReadResult& result) {
    switch (entry.type) {
        case JournalEntryType::File:
            return false;  // only the first entry names the file
        case JournalEntryType::Header:
            result.header = entry.header;
            result.headerRead = true;
            ApplyHeader(entry.header, store);
            return true;
        case JournalEntryType::Sample:
            // Samples come in order after a header; a gap is damage.
            if (!result.headerRead || entry.position > store.SampleCount) return false;
            store.Samples[entry.position] = entry.sample;
            if (entry.position == store.SampleCount) store.SampleCount++;
            return true;
        case JournalEntryType::Mark:
            if (entry.mark.sample < -1 || entry.mark.sample >= MaxSamples) return false;
            store.EventMarks[entry.slot] = entry.mark;
            return true;
        case JournalEntryType::PendingMark:
        case JournalEntryType::MarksTaken:
            return false;  // entries of a pending marks file
    }
    return false;
}

}  // namespace

JournalReadResult ReadJournal(const uint8_t* data, size_t size, SampleStore& store) {
    JournalReadResult result;
    ResetRecord(store);
    store.RecordDeviceId.clear();
    store.RecordRateIndex = 0;
    store.RecordStartTime = 0;
    store.RecordEndTime = 0;
    store.RecordFull = false;
    store.CheckSensorsMode = false;
    store.DataSaved = true;

    if (size == 0) {
        result.status = JournalReadStatus::Empty;
        return result;
    }
    DecodedEntry entry;
    if (size < JournalEntrySize || !DecodeEntry(data, entry) || entry.type != JournalEntryType::File ||
        !entry.magicMatches) {
        result.status = JournalReadStatus::NotAJournal;
        return result;
    }
    if (entry.version > JournalVersion) {
        result.status = JournalReadStatus::NewerVersion;
        return result;
    }
    if (entry.entrySize != JournalEntrySize) {
        result.status = JournalReadStatus::NotAJournal;
        return result;
    }
    result.entriesUsed = 1;

    const size_t entries = size / JournalEntrySize;
    result.status = size % JournalEntrySize == 0 ? JournalReadStatus::Complete : JournalReadStatus::TornTail;
    for (size_t at = 1; at < entries; ++at) {
        if (!DecodeEntry(data + at * JournalEntrySize, entry) || !Apply(entry, store, result)) {
            // What a crash leaves is the last entry; damage anywhere else is
            // told apart, because entries after it are given up.
            result.status = at + 1 < entries ? JournalReadStatus::DamagedMiddle : JournalReadStatus::TornTail;
            break;
        }
        result.entriesUsed++;
    }

    store.RecordFull = store.SampleCount == MaxSamples;
    if (store.SampleCount > 0) {
        store.RecordEndTime = store.Samples[store.SampleCount - 1].time;
        store.CurrentSample = store.Samples[store.SampleCount - 1];
        store.DataSaved = false;
    }
    return result;
}

bool ReadJournalFile(const QString& path, SampleStore& store, JournalReadResult& result, QString* error) {
    // A full journal is about 14 MB; read whole, it is parsed in one pass.
    QByteArray bytes;
    if (!ReadWholeFile(path, bytes, error)) return false;
    result = ReadJournal(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size()),
                         store);
    return true;
}
