// The record-file reader: the input is the whole file.

#include <QBuffer>

#include "FuzzSupport.h"
#include "data/CsvReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SampleStore& store = EmptyRecord();
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    const CsvReadResult result = ReadRecord(store, file);
    if (!result.recordReplaced) FUZZ_REQUIRE(store.SampleCount == 0);
    RequireMarksInsideRecord(store);
    return 0;
}
