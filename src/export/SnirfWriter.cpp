#include "export/SnirfWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QDateTime>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "data/OleDate.h"
#include "data/RateTable.h"
#include "data/SampleStore.h"
#include "export/Hdf5File.h"
#include "export/SnirfContent.h"

namespace {

// A name next to the target that no other file has; the file is created
// exclusively, so a clash only costs another try.
QString TemporaryPathNextTo(const QString& target) {
    const QFileInfo info(target);
    return info.dir().filePath(QStringLiteral(".%1.%2.tmp")
                                   .arg(info.fileName())
                                   .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0')));
}

// HDF5 leaves the data to the page cache; the rename must not overtake it.
bool SyncToDisk(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    return fsync(file.handle()) == 0;
}

QString Refusal(const SampleStore& store) {
    if (store.SampleCount <= 0) return QStringLiteral("the record holds no samples");
    if (store.CheckSensorsMode)
        return QStringLiteral("a sensor-check record holds light levels, not haemoglobin values");
    if (!IsValidRateIndex(store.RecordRateIndex))
        return QStringLiteral("the record's rate index %1 is not a known sampling interval").arg(store.RecordRateIndex);
    return {};
}

}  // namespace

SnirfMeasurementTime MeasurementTimeInUtc(double localStartTime) {
    const QDateTime utc = QDateTimeFromOleDate(localStartTime).toUTC();
    return {utc.toString(QStringLiteral("yyyy-MM-dd")), utc.toString(QStringLiteral("HH:mm:ss")) + QLatin1Char('Z')};
}

SnirfWriteOutcome WriteSnirfFile(const SampleStore& store, const QString& path) {
    const QString refusal = Refusal(store);
    if (!refusal.isEmpty()) return {false, refusal};

    QString temporary;
    for (int attempt = 0; attempt < 5; ++attempt) {
        temporary = TemporaryPathNextTo(path);
        if (!QFileInfo::exists(temporary)) break;
    }
    try {
        {
            Hdf5File file = Hdf5File::CreateNew(QFile::encodeName(temporary).toStdString());
            WriteSnirfContent(store, file);
            file.Close();
        }
        if (!SyncToDisk(temporary)) throw Hdf5Error("writing the file to disk failed");
    } catch (const Hdf5Error& error) {
        QFile::remove(temporary);
        return {false, QString::fromStdString(error.what())};
    }
    if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) != 0) {
        const int renameError = errno;
        const QString reason = QStringLiteral("replacing %1: %2").arg(QDir::toNativeSeparators(path),
                                                                      QString::fromLocal8Bit(strerror(renameError)));
        QFile::remove(temporary);
        return {false, reason};
    }
    return {true, {}};
}
