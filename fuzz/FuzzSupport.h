#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "data/SampleStore.h"

// Helpers shared by the fuzz targets: cutting the input into the pieces a
// target needs, files for the readers that take a path, a record returned to
// its empty state, and checks of what each reader promises.

// Takes bytes from the front of the fuzzer's input; past the end it gives
// zeros and empty pieces, so every input is a valid sequence of pieces.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Empty() const { return at_ >= size_; }
    size_t Left() const { return size_ - at_; }

    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }

    uint32_t Unsigned32() {
        uint32_t value = 0;
        for (int k = 0; k < 4; ++k) value |= uint32_t{Byte()} << (8 * k);
        return value;
    }

    double Double() {
        uint64_t bits = 0;
        for (int k = 0; k < 8; ++k) bits |= uint64_t{Byte()} << (8 * k);
        double value;
        static_assert(sizeof value == sizeof bits);
        __builtin_memcpy(&value, &bits, sizeof value);
        return value;
    }

    QByteArray Bytes(size_t count) {
        if (count > Left()) count = Left();
        QByteArray bytes(reinterpret_cast<const char*>(data_ + at_), static_cast<qsizetype>(count));
        at_ += count;
        return bytes;
    }

    QByteArray Rest() { return Bytes(Left()); }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// A file of this process in the temporary folder, rewritten for each input,
// for the readers that open a file by name; removed when the run ends.
class ScratchFile {
public:
    explicit ScratchFile(const char* name)
        : path(QDir::tempPath() + QStringLiteral("/tq580-fuzz-%1-%2").arg(getpid()).arg(QLatin1String(name))) {}
    ~ScratchFile() { QFile::remove(path); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    void Write(const QByteArray& bytes) const { WriteAt(path, bytes); }

    // Any file of the run: one that cannot be written ends it.
    static void WriteAt(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            std::abort();
        }
    }

    const QString path;
};

// A broken promise of the code under test is a finding like a crash.
#define FUZZ_REQUIRE(condition)                                                          \
    do {                                                                                 \
        if (!(condition)) {                                                              \
            std::fprintf(stderr, "%s:%d: broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                \
        }                                                                                \
    } while (0)

// One store for the whole run (it is allocated at full capacity), emptied
// before each input so that no input sees another one's record.
inline SampleStore& EmptyRecord() {
    static SampleStore store;
    ResetRecord(store);
    store.RecordFull = false;
    store.CurrentSample = {};
    store.RecordStartTime = 0;
    store.RecordEndTime = 0;
    store.RecordRateIndex = 1;
    store.RecordDeviceId.clear();
    store.ReceivedDeviceId.clear();
    store.DataSaved = true;
    store.SequenceGap = false;
    store.CheckSensorsMode = false;
    store.InitPointsEditable = false;
    store.UploadActive = false;
    store.UploadTotal = 0;
    return store;
}

// The marks of a record: used ones first, each on a stored sample.
inline void RequireMarksInsideRecord(const SampleStore& store) {
    FUZZ_REQUIRE(store.SampleCount >= 0 && store.SampleCount <= MaxSamples);
    const int used = EventMarkCount(store);
    for (int m = 0; m < MaxEventMarks; ++m) {
        const EVENT_MARK_TYPE& mark = store.EventMarks[m];
        if (m >= used) {
            FUZZ_REQUIRE(mark.sample < 0);
            continue;
        }
        FUZZ_REQUIRE(mark.sample < store.SampleCount);
        FUZZ_REQUIRE(mark.code != 0 && mark.code >= -9 && mark.code <= 9);
    }
}
