#include "data/CsvWriter.h"

#include <QSaveFile>
#include <memory>
#include <string>

#include "data/CsvFormat.h"
#include "data/SampleStore.h"

namespace {

constexpr ptrdiff_t BlockSize = 256 * 1024;

bool WriteAll(QSaveFile& file, const char* begin, const char* end) {
    return file.write(begin, end - begin) == end - begin;
}

bool WriteAll(QSaveFile& file, const std::string& text) { return WriteAll(file, text.data(), text.data() + text.size()); }

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

    // Rows gather in one block that goes out whenever it is full: one system
    // call per block instead of one per row. There is always room for one
    // more row after the filling mark.
    const std::unique_ptr<char[]> block(new char[BlockSize + MaxCsvRowLength]);
    char* end = block.get();
    EventMarkScan scan;
    // SampleCount is read on every pass: the yield below runs other handlers.
    for (int32_t position = 0; position < store.SampleCount; ++position) {
        end = WriteCsvRow(store, position, end, scan);
        if (end - block.get() >= BlockSize) {
            if (!WriteAll(file, block.get(), end)) return Failed(file, CsvWriteResult::WriteFailed);
            end = block.get();
        }
        if (position % 10 == 0 && processEvents) processEvents();
    }
    if (!WriteAll(file, block.get(), end)) return Failed(file, CsvWriteResult::WriteFailed);

    if (!file.commit()) return {CsvWriteResult::WriteFailed, file.errorString()};
    return {CsvWriteResult::Written, {}};
}
