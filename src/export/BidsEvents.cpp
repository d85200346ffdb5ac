#include "export/BidsEvents.h"

#include <QJsonObject>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "data/RateTable.h"
#include "data/SampleStore.h"
#include "export/BidsText.h"
#include "export/SnirfEvents.h"
#include "export/SnirfGaps.h"

namespace {

QString Seconds(int64_t milliseconds) { return QString::number(milliseconds / 1000.0, 'f', 3); }

int64_t Milliseconds(double seconds) { return std::llround(seconds * 1000.0); }

QString Meaning(const QString& trialType) {
    if (trialType == QLatin1String(ValueInitializationStimulusName))
        return QStringLiteral("A value-initialization point: OXHb and DXHb are changes from this sample on.");
    if (trialType == QLatin1String(SkipStimulusName))
        return QStringLiteral("Rows without OXHb and DXHb values (NaN in the SNIRF file): samples lost between the "
                              "sensor and the PC, or a calculation that failed. Filters skip them.");
    if (trialType == QLatin1String(CalculationStimulusName))
        return QStringLiteral("Rows in which a channel reports an error of the sensor or of the calculation (\"E\" in "
                              "the record file). Where OXHb and DXHb are then 0 they are NaN; other values are kept.");
    return QStringLiteral("Event %1, marked by key, event box or network: from its start mark, lasting until its end "
                          "mark. A start with no end lasts 0; an end before any mark of its number lasts from the "
                          "record's start; an end with no start left open stands alone, lasting 0.")
        .arg(trialType);
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

QByteArray EventsTable(const SampleStore& store) {
    QList<QStringList> rows{{"onset", "duration", "trial_type"}};
    for (const BidsEvent& event : BidsEvents(store))
        rows.append({Seconds(event.onsetMilliseconds), Seconds(event.durationMilliseconds), event.trialType});
    return TsvFile(rows);
}

QByteArray EventsSidecar(const SampleStore& store) {
    QJsonObject levels;
    for (const BidsEvent& event : BidsEvents(store)) levels.insert(event.trialType, Meaning(event.trialType));
    return JsonFile({{"trial_type",
                      QJsonObject{{"LongName", "Event category"},
                                  {"Description", "What marked the span of the record that the row gives."},
                                  {"Levels", levels}}}});
}
