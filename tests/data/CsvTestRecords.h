#pragma once

#include <QByteArray>
#include <QString>
#include <sys/resource.h>

#include <csignal>

struct SampleStore;

// The small record whose saved form is tests/fixtures/saved-record.csv.
void BuildSmallRecord(SampleStore& store);

// A record of count samples at 100 ms with varied values and some marks.
void BuildLongRecord(SampleStore& store, int count);

// The record's raw intensities as text, one sample a line: 770 and 830 nm
// of CH1(L), then of CH2(R), tab-separated, exact to single precision. For
// the checks that compare a SNIRF file's data2 with the record.
bool WriteRawIntensities(const SampleStore& store, const QString& path);

QString FixturePath(const QString& name);
QByteArray FileBytes(const QString& path);
bool WriteFileBytes(const QString& path, const QByteArray& bytes);

// A disk that fills up part-way, made with the file-size limit of this
// process: writes past it fail with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limited = previous_;
        limited.rlim_cur = bytes;
        active_ = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    bool active() const { return active_; }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
    bool active_ = false;
};
