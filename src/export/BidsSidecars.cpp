#include "export/BidsSidecars.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>

#include "data/OleDate.h"
#include "data/RateTable.h"
#include "data/SampleStore.h"
#include "export/BidsChannels.h"
#include "export/BidsText.h"
#include "export/ProbeLayout.h"

namespace {

// "Tq580" of "Tq580-123456-001".
QString ModelName(const QString& deviceId) {
    const QString model = deviceId.section(u'-', 0, 0).trimmed();
    return model.isEmpty() ? QString::fromLatin1(NotKnown) : model;
}

}  // namespace

QByteArray NirsSidecar(const SampleStore& store, const QString& task, const BidsSoftware& software) {
    const int32_t interval = RateTable[store.RecordRateIndex];
    const std::vector<BidsChannel> channels = BidsChannels(store);
    QJsonObject sidecar{
        {"TaskName", task},
        {"SamplingFrequency", 1000.0 / interval},
        {"NIRSChannelCount", NirsChannelCount(channels)},
        {"NIRSSourceOptodeCount", ChannelCount},
        {"NIRSDetectorOptodeCount", ChannelCount},
        {"RecordingDuration", static_cast<double>(store.SampleCount) * interval / 1000.0},
        {"RecordingType", "continuous"},
        {"Manufacturer", NotKnown},
        {"ManufacturersModelName", ModelName(store.RecordDeviceId)},
        {"DeviceSerialNumber", store.RecordDeviceId},
        {"SoftwareVersions", software.name + QLatin1Char(' ') + software.version},
        {"PowerLineFrequency", NotKnown},
        {"HardwareFilters", NotKnown},
        {"SoftwareFilters", NotKnown},
    };
    return JsonFile(sidecar);
}

QByteArray OptodesTable() {
    QList<QStringList> rows{{"name", "type", "x", "y", "z"}};
    const auto add = [&rows](const char* prefix, const char* type, const double (&positions)[ChannelCount][3]) {
        for (int c = 0; c < ChannelCount; ++c) {
            QStringList row{prefix + QString::number(c + 1), type};
            for (double value : positions[c]) row << QString::number(value);
            rows.append(row);
        }
    };
    add("S", "source", SourcePositions);
    add("D", "detector", DetectorPositions);
    return TsvFile(rows);
}

QByteArray CoordinateSystemSidecar() {
    return JsonFile({
        {"NIRSCoordinateSystem", "Other"},
        {"NIRSCoordinateUnits", "mm"},
        {"NIRSCoordinateProcessingDescription", NotKnown},
        {"NIRSCoordinateSystemDescription",
         "Nominal positions, not measured: the program never learns where the sensor was placed. Each channel's "
         "source is on the forehead 15 mm from the midline, its detector 35 mm further out, CH1(L) on the left "
         "(S1, D1), CH2(R) on the right (S2, D2); x to the right, y forward, z up."},
    });
}

QByteArray DatasetDescription(const QString& name, const BidsSoftware& software) {
    return JsonFile({
        {"Name", name},
        {"BIDSVersion", "1.8.0"},
        {"DatasetType", "raw"},
        {"GeneratedBy", QJsonArray{QJsonObject{{"Name", software.name}, {"Version", software.version}}}},
    });
}

QByteArray DatasetReadme(const BidsSoftware& software) {
    return (QStringLiteral("Near-infrared tissue oximetry records of a Tq580 sensor (two channels, 770 and 830 nm), "
                           "written by %1 %2.\n\n"
                           "Each run's SNIRF file holds OXHb and DXHb of both channels (data1, in M) and, for "
                           "records uploaded from the sensor, the raw intensities (data2). Rows without data, "
                           "lost or with a failed calculation, are NaN and are marked BAD_ACQ_SKIP in the events; "
                           "rows in which the sensor or the calculation reported an error are marked "
                           "BAD_CALCULATION. The optode positions are nominal.\n")
                .arg(software.name, software.version))
        .toUtf8();
}

QByteArray ParticipantsSidecar() {
    return JsonFile({{"participant_id", QJsonObject{{"Description", "The subject's label, as given to the export."}}}});
}

QString AcquisitionTime(double localStartTime) {
    const QDateTime start = QDateTimeFromOleDate(localStartTime);
    return start.toString(start.time().msec() != 0 ? QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")
                                                   : QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}
