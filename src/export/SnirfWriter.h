#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

struct SampleStore;

struct SnirfWriteOutcome {
    bool written = false;
    QString reason;  // why not, when not written
};

// The complete bytes of a record's SNIRF file, or why there are none.
struct SnirfImage {
    std::shared_ptr<const char> data;  // the file, as the library built it
    qint64 size = 0;
    QString refusal;  // empty when data holds the file
    // The file's bytes without a copy; valid while this image is.
    QByteArray Bytes() const { return QByteArray::fromRawData(data.get(), static_cast<qsizetype>(size)); }
};

// Builds the record as a SNIRF 1.0 file of processed haemoglobin: OXHb and
// DXHb of both channels in molar units (placeholders as NaN) in data1; the
// raw 770 and 830 nm intensities in data2 when the record has them; the
// probe with one 35 mm source-detector pair per channel; the event marks,
// value-initialization points and no-data gaps as stimuli; STO2, TOHb,
// acceleration and battery as auxiliary series; the subject as SubjectID
// ("unknown" when empty). Sensor-check records and records of fewer than two
// samples, which have no sampling rate to read, are refused.
SnirfImage BuildSnirfImage(const SampleStore& store, const QString& subject = {});

// What becomes of a file already at the target.
enum class ExistingSnirf {
    Replace,  // replaced, once the new file is complete
    Keep,     // the export is refused
};

// Writes that file under a temporary name in the target's folder and renames
// it over the target only when complete; on any failure the temporary file
// is removed and an existing target stays as it was. A file holding an
// upload's raw intensities (data2) is never replaced by one without them:
// once the sensor's log is cleared it may be their only copy.
SnirfWriteOutcome WriteSnirfFile(const SampleStore& store, const QString& path, const QString& subject = {},
                                 ExistingSnirf existing = ExistingSnirf::Replace);

// The metadata tag that holds the start with its milliseconds when it has
// any: MeasurementTime keeps whole seconds, the form every reader parses.
constexpr const char* ExactMeasurementTimeTag = "MeasurementTimeExact";

// The record's start, a local time, in UTC: "YYYY-MM-DD", "hh:mm:ssZ" and,
// when the start has milliseconds, "hh:mm:ss.zzzZ" (otherwise empty).
struct SnirfMeasurementTime {
    QString date;
    QString time;
    QString timeWithMilliseconds;
};
SnirfMeasurementTime MeasurementTimeInUtc(double localStartTime);
