#include "export/SnirfWriter.h"

#include <QDateTime>
#include <QFile>

#include "data/OleDate.h"
#include "data/RateTable.h"
#include "data/SampleStore.h"
#include "export/Hdf5File.h"
#include "export/SnirfContent.h"
#include "export/WholeFileWrite.h"

namespace {

QString Refusal(const SampleStore& store) {
    if (store.SampleCount <= 0) return QStringLiteral("the record holds no samples");
    if (store.SampleCount == 1)
        return QStringLiteral("the record holds a single sample; analysis tools need at least two to know its "
                              "sampling rate");
    if (store.CheckSensorsMode)
        return QStringLiteral("a sensor-check record holds light levels, not haemoglobin values");
    if (!IsValidRateIndex(store.RecordRateIndex))
        return QStringLiteral("the record's rate index %1 is not a known sampling interval").arg(store.RecordRateIndex);
    return {};
}

}  // namespace

SnirfMeasurementTime MeasurementTimeInUtc(double localStartTime) {
    const QDateTime utc = QDateTimeFromOleDate(localStartTime).toUTC();
    SnirfMeasurementTime start{utc.toString(QStringLiteral("yyyy-MM-dd")),
                               utc.toString(QStringLiteral("HH:mm:ss")) + QLatin1Char('Z'), {}};
    if (utc.time().msec() != 0)
        start.timeWithMilliseconds = utc.toString(QStringLiteral("HH:mm:ss.zzz")) + QLatin1Char('Z');
    return start;
}

SnirfImage BuildSnirfImage(const SampleStore& store, const QString& subject) {
    const QString refusal = Refusal(store);
    if (!refusal.isEmpty()) return {{}, 0, refusal};
    try {
        Hdf5File file = Hdf5File::CreateInMemory(ExpectedSnirfBytes(store));
        WriteSnirfContent(store, subject, file);
        const Hdf5Bytes image = file.Image();
        return {image.data, static_cast<qint64>(image.size), {}};
    } catch (const Hdf5Error& error) {
        return {{}, 0, QString::fromStdString(error.what())};
    }
}

SnirfWriteOutcome WriteSnirfFile(const SampleStore& store, const QString& path, const QString& subject,
                                 ExistingSnirf existing) {
    const SnirfImage built = BuildSnirfImage(store, subject);
    if (!built.refusal.isEmpty()) return {false, built.refusal};
    if (!store.HasRawIntensities && Hdf5FileHolds(QFile::encodeName(path).toStdString(), "/nirs/data2"))
        return {false, QStringLiteral("it holds the raw intensities of an upload (data2), which this record has not; "
                                      "it is kept")};
    const QString reason = existing == ExistingSnirf::Keep ? WriteWholeNewFile(path, built.data.get(), built.size)
                                                           : WriteWholeFile(path, built.data.get(), built.size);
    return {reason.isEmpty(), reason};
}
