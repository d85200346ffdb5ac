#pragma once

#include <QString>
#include <functional>

struct SampleStore;

enum class CsvWriteResult {
    Written,       // the file holds the whole record
    CannotCreate,  // nothing was written; an existing file is unchanged
    WriteFailed,   // a write failed part-way; an existing file is unchanged
};

struct CsvWriteOutcome {
    CsvWriteResult result = CsvWriteResult::CannotCreate;
    QString errorText;  // the system's reason when not written
};

// Writes the record to path. The rows go to a temporary file in the same
// folder, which replaces the target only once every row is written and the
// file is flushed to disk; on any failure the temporary file is removed and
// an existing file of that name stays as it was.
// Recomputes RecordEndTime once the file is created. Calls
// processEvents after the row of every tenth position (0, 10, 20, ...),
// so the window stays responsive during long saves.
CsvWriteOutcome WriteRecordFile(SampleStore& store, const QString& path,
                                const std::function<void()>& processEvents = {});
