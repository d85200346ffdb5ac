#pragma once

#include <QList>
#include <QString>
#include <cstdint>

struct SampleStore;

struct EventLogRecord {
    double tm;  // OLE date, local time
    int32_t event;
};

// Every whole record of the event log file, in file order. False, with the
// reason, when the file cannot be opened or read.
bool ReadEventLog(const QString& fileName, QList<EventLogRecord>& records, QString* error);

struct MergeOutcome {
    int cleared = 0;  // marks the record had before
    int merged = 0;   // marks taken from the log
};

// Replaces the record's event marks by the logged marks that fall inside
// its time span, each at the sample taken at that time (whole milliseconds
// since the start, divided by the record's interval). The log is in time
// order: a first mark not before the record's end, or a last mark not after
// its start, merges nothing. Marks beyond the stored samples, with an event
// outside -9..9 or 0, or beyond the 100th are dropped and not counted.
MergeOutcome MergeEventMarks(SampleStore& store, const QList<EventLogRecord>& records);
