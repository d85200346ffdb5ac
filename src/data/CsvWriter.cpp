#include "data/CsvWriter.h"

#include <QSaveFile>
#include <string>

#include "data/CsvFormat.h"
#include "data/SampleStore.h"

namespace {

bool WriteAll(QSaveFile& file, const std::string& text) {
    return file.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size());
}

CsvWriteOutcome Failed(QSaveFile& file, CsvWriteResult result) {
    CsvWriteOutcome outcome{result, file.errorString()};
    file.cancelWriting();
    file.commit();  // after cancelWriting this only removes the temporary file
    return outcome;
}

}  // namespace

CsvWriteOutcome WriteRecordFile(SampleStore& store, const QString& path, const std::function<void()>& processEvents) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return {CsvWriteResult::CannotCreate, file.errorString()};

    store.RecordEndTime = ComputedRecordEndTime(store);
    if (!WriteAll(file, CsvHeaderLines(store))) return Failed(file, CsvWriteResult::WriteFailed);

    std::string row;
    row.reserve(1024);
    // SampleCount is read on every pass: the yield below runs other handlers.
    for (int32_t position = 0; position < store.SampleCount; ++position) {
        row.clear();
        AppendCsvRow(store, position, row);
        if (!WriteAll(file, row)) return Failed(file, CsvWriteResult::WriteFailed);
        if (position % 10 == 0 && processEvents) processEvents();
    }

    if (!file.commit()) return {CsvWriteResult::WriteFailed, file.errorString()};
    return {CsvWriteResult::Written, {}};
}
