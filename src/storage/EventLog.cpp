#include "storage/EventLog.h"

#include <QFile>
#include <QtEndian>
#include <cstring>

bool AppendEventLog(const QString& fileName, double tm, int32_t event, QString* error) {
    QFile file(fileName);
    auto fail = [&](const QString& what) {
        if (error) *error = what + QStringLiteral(" ") + fileName + QStringLiteral(": ") + file.errorString();
        return false;
    };
    if (!file.open(QIODevice::ReadWrite)) return fail(QStringLiteral("Cannot open"));
    const qint64 wholeRecords = file.size() / EventLogRecordSize;
    const qint64 position = wholeRecords * EventLogRecordSize;
    if (!file.isSequential() && !file.seek(position)) return fail(QStringLiteral("Cannot seek in"));

    char record[EventLogRecordSize] = {};
    uint64_t timeBits;
    std::memcpy(&timeBits, &tm, sizeof timeBits);
    qToLittleEndian(timeBits, record);
    qToLittleEndian(event, record + 8);
    if (file.write(record, EventLogRecordSize) != EventLogRecordSize || !file.flush()) {
        const QString reason = file.errorString();
        if (!file.isSequential()) file.resize(position);  // no half record is left behind
        if (error) *error = QStringLiteral("Cannot write ") + fileName + QStringLiteral(": ") + reason;
        return false;
    }
    return true;
}
