#pragma once

#include <QString>
#include <cstdint>

// The PC's event log: 16-byte records appended to one file that outlives
// every run. Each record is the local time as an OLE date (double), the
// event code (+n started, -n ended) as a 32-bit integer, and 4 reserved zero
// bytes, all little-endian.
constexpr int EventLogRecordSize = 16;

// Appends one record after the last whole record of the file (a torn record
// left by a crash is overwritten). False, with the reason, when the file
// cannot be opened or written; nothing is then added.
bool AppendEventLog(const QString& fileName, double tm, int32_t event, QString* error = nullptr);
