// The record-file reader: the input is the whole file, read as Open reads
// it and as the exports read it.

#include <QBuffer>

#include "FuzzSupport.h"
#include "data/CsvReader.h"

namespace {

CsvReadResult Read(SampleStore& store, const uint8_t* data, size_t size, ShortRows shortRows) {
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    return ReadRecord(store, file, shortRows);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SampleStore& store = EmptyRecord();
    const CsvReadResult result = Read(store, data, size, ShortRows::Skip);
    if (!result.recordReplaced) FUZZ_REQUIRE(store.SampleCount == 0);
    RequireMarksInsideRecord(store);
    const int32_t skipping = store.SampleCount;

    // Rows too short to read keep their places: where no line is cut into
    // pieces and the store does not fill, exactly one row more for each.
    const CsvReadResult kept = Read(EmptyRecord(), data, size, ShortRows::KeepTheirPlace);
    FUZZ_REQUIRE(kept.recordReplaced == result.recordReplaced);
    FUZZ_REQUIRE(kept.errorLine == 0 || kept.formatError);
    for (size_t i = 1; i < kept.shortRowLines.size(); ++i)
        FUZZ_REQUIRE(kept.shortRowLines[i] > kept.shortRowLines[i - 1]);
    if (kept.longLines.empty() && !kept.truncated && !result.truncated) {
        FUZZ_REQUIRE(kept.shortRowLines == result.shortRowLines);
        FUZZ_REQUIRE(store.SampleCount == skipping + static_cast<int32_t>(kept.shortRowLines.size()));
    }
    RequireMarksInsideRecord(store);
    return 0;
}
