#include "storage/EventMerge.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "data/OleDate.h"
#include "data/RateTable.h"
#include "data/SampleStore.h"
#include "data/WholeFile.h"
#include "storage/EventLog.h"

bool ReadEventLog(const QString& fileName, QList<EventLogRecord>& records, QString* error) {
    records.clear();
    QByteArray bytes;
    if (!ReadWholeFile(fileName, bytes, error)) return false;
    const qsizetype count = bytes.size() / EventLogRecordSize;
    records.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        const char* record = bytes.constData() + i * EventLogRecordSize;
        const uint64_t timeBits = qFromLittleEndian<uint64_t>(record);
        double tm;
        std::memcpy(&tm, &timeBits, sizeof tm);
        records.append({tm, qFromLittleEndian<int32_t>(record + 8)});
    }
    return true;
}

MergeOutcome MergeEventMarks(SampleStore& store, const QList<EventLogRecord>& records) {
    MergeOutcome outcome;
    for (auto& mark : store.EventMarks) {
        if (mark.sample >= 0) outcome.cleared++;
        mark = {-1, 0};
    }
    if (!IsValidRateIndex(store.RecordRateIndex)) return outcome;
    // A time that is no number (a damaged file) says nothing about where the
    // log lies; the outer checks use the first and last real times.
    const auto realTime = [](const EventLogRecord& record) { return std::isfinite(record.tm); };
    const auto first = std::find_if(records.cbegin(), records.cend(), realTime);
    if (first == records.cend()) return outcome;
    const auto last = std::find_if(records.crbegin(), records.crend(), realTime);
    if (!(first->tm < store.RecordEndTime)) return outcome;  // all after the record
    if (!(last->tm > store.RecordStartTime)) return outcome;  // all before it

    const int64_t interval = RateTable[store.RecordRateIndex];
    const double storedSpan = static_cast<double>(store.SampleCount) * static_cast<double>(interval);
    for (const EventLogRecord& record : records) {
        if (!realTime(record) || record.tm < store.RecordStartTime) continue;
        if (record.tm > store.RecordEndTime) break;
        // Compared as a double before any conversion, so no time, however
        // far off, can turn into an index inside the store.
        const double elapsed = std::round((record.tm - store.RecordStartTime) * MillisecondsPerDay);
        if (!(elapsed >= 0 && elapsed < storedSpan)) continue;  // beyond the stored samples
        const auto index = static_cast<int32_t>(static_cast<int64_t>(elapsed) / interval);
        if (record.event != 0 && record.event >= -9 && record.event <= 9 && AddEventMark(store, index, record.event))
            outcome.merged++;
    }
    return outcome;
}
