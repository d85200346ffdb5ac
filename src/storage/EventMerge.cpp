#include "storage/EventMerge.h"

#include <QFile>
#include <QtEndian>
#include <cmath>
#include <cstring>

#include "data/OleDate.h"
#include "data/RateTable.h"
#include "data/SampleStore.h"
#include "storage/EventLog.h"

bool ReadEventLog(const QString& fileName, QList<EventLogRecord>& records, QString* error) {
    records.clear();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error) *error = file.errorString();
        return false;
    }
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
    if (records.isEmpty() || !IsValidRateIndex(store.RecordRateIndex)) return outcome;
    if (!(records.first().tm < store.RecordEndTime)) return outcome;  // all after the record
    if (!(records.last().tm > store.RecordStartTime)) return outcome;  // all before it

    const int64_t interval = RateTable[store.RecordRateIndex];
    for (const EventLogRecord& record : records) {
        if (record.tm < store.RecordStartTime) continue;
        if (record.tm > store.RecordEndTime) break;
        const int64_t elapsed = std::llround((record.tm - store.RecordStartTime) * MillisecondsPerDay);
        const int64_t index = elapsed / interval;
        if (index < store.SampleCount && record.event != 0 && record.event >= -9 && record.event <= 9 &&
            AddEventMark(store, static_cast<int32_t>(index), record.event))
            outcome.merged++;
    }
    return outcome;
}
