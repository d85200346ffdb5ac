#include "export/BidsSidecars.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "data/OleDate.h"
#include "data/RateTable.h"
#include "data/SampleStore.h"
#include "export/ProbeLayout.h"
#include "export/SnirfEvents.h"
#include "export/SnirfGaps.h"

namespace {

constexpr const char* NotKnown = "n/a";
// MNE's names of the data1 columns, and what they hold.
struct Channel {
    const char* name;
    const char* type;
    int pair;  // source and detector index
};
constexpr Channel Channels[] = {{"S1_D1 hbo", "NIRSCWHBO", 1},
                                {"S1_D1 hbr", "NIRSCWHBR", 1},
                                {"S2_D2 hbo", "NIRSCWHBO", 2},
                                {"S2_D2 hbr", "NIRSCWHBR", 2}};
constexpr int ChannelRows = sizeof Channels / sizeof Channels[0];

QByteArray Json(const QJsonObject& object) { return QJsonDocument(object).toJson(QJsonDocument::Indented); }

QByteArray Table(const QList<QStringList>& rows) {
    QByteArray bytes;
    for (const QStringList& row : rows) bytes += row.join(u'\t').toUtf8() + '\n';
    return bytes;
}

QString Seconds(int64_t milliseconds) { return QString::number(milliseconds / 1000.0, 'f', 3); }

int64_t Milliseconds(double seconds) { return std::llround(seconds * 1000.0); }

// "Tq580" of "Tq580-123456-001".
QString ModelName(const QString& deviceId) {
    const QString model = deviceId.section(u'-', 0, 0).trimmed();
    return model.isEmpty() ? QString::fromLatin1(NotKnown) : model;
}

}  // namespace

std::vector<BidsEvent> BidsEvents(const SampleStore& store) {
    std::vector<BidsEvent> events;
    for (const SnirfStimulus& condition : StimulusConditions(store))
        for (const auto& row : condition.rows)
            events.push_back({Milliseconds(row[0]), Milliseconds(row[1]), QString::fromStdString(condition.name)});
    const int64_t interval = RateTable[store.RecordRateIndex];
    for (const SkippedRuns& skipped : RunsToSkip(store))
        for (const NoDataGap& run : skipped.runs)
            events.push_back({run.first * interval, run.count * interval, QString::fromLatin1(skipped.name)});
    std::stable_sort(events.begin(), events.end(), [](const BidsEvent& a, const BidsEvent& b) {
        return a.onsetMilliseconds < b.onsetMilliseconds;
    });
    return events;
}

QByteArray NirsSidecar(const SampleStore& store, const QString& task, const BidsSoftware& software) {
    const int32_t interval = RateTable[store.RecordRateIndex];
    QJsonObject sidecar{
        {"TaskName", task},
        {"SamplingFrequency", 1000.0 / interval},
        {"NIRSChannelCount", ChannelRows},
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
    return Json(sidecar);
}

QByteArray ChannelsTable() {
    QList<QStringList> rows{{"name", "type", "source", "detector", "wavelength_nominal", "units"}};
    for (const Channel& channel : Channels) {
        const QString pair = QString::number(channel.pair);
        rows.append({channel.name, channel.type, "S" + pair, "D" + pair, NotKnown, "M"});
    }
    return Table(rows);
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
    return Table(rows);
}

QByteArray CoordinateSystemSidecar() {
    return Json({
        {"NIRSCoordinateSystem", "Other"},
        {"NIRSCoordinateUnits", "mm"},
        {"NIRSCoordinateSystemDescription",
         "Nominal positions, not measured: the program never learns where the sensor was placed. Each channel's "
         "source is on the forehead 15 mm from the midline, its detector 35 mm further out, CH1(L) on the left "
         "(S1, D1), CH2(R) on the right (S2, D2); x to the right, y forward, z up."},
    });
}

QByteArray EventsTable(const SampleStore& store) {
    QList<QStringList> rows{{"onset", "duration", "trial_type"}};
    for (const BidsEvent& event : BidsEvents(store))
        rows.append({Seconds(event.onsetMilliseconds), Seconds(event.durationMilliseconds), event.trialType});
    return Table(rows);
}

QByteArray DatasetDescription(const QString& name, const BidsSoftware& software) {
    return Json({
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
    return Json({{"participant_id", QJsonObject{{"Description", "The subject's label, as given to the export."}}}});
}

QString AcquisitionTime(double localStartTime) {
    const QDateTime start = QDateTimeFromOleDate(localStartTime);
    return start.toString(start.time().msec() != 0 ? QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")
                                                   : QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}
