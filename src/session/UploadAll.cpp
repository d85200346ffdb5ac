#include "session/UploadAll.h"

#include <QDir>

#include "session/ExportTexts.h"
#include "session/StringTable.h"

bool UploadAllOutcome::AllSaved() const {
    if (!failure.isEmpty()) return false;
    for (const UploadAllSensor& sensor : sensors)
        if (sensor.progress.stage != UploadAllStage::Saved && sensor.progress.stage != UploadAllStage::NoData)
            return false;
    return true;
}

QStringList UploadAllOutcome::Names(UploadAllStage stage) const {
    QStringList names;
    for (const UploadAllSensor& sensor : sensors)
        if (sensor.progress.stage == stage) names << sensor.name;
    return names;
}

QString UploadAllMessage(const UploadAllOutcome& outcome) {
    if (!outcome.failure.isEmpty()) return outcome.failure;
    if (outcome.sensors.isEmpty()) return MsgUploadAllNothing;
    // One record a line: with its SNIRF file beside it, the record file
    // alone names both.
    bool everyOneWithSnirf = true;
    for (const UploadAllSensor& sensor : outcome.sensors)
        if (sensor.progress.stage == UploadAllStage::Saved && sensor.files.size() < 2) everyOneWithSnirf = false;
    QStringList lines;
    QStringList saved;
    QStringList notSaved;
    for (const UploadAllSensor& sensor : outcome.sensors) {
        // Joined, not formatted: a name may hold a '%'.
        if (sensor.progress.stage == UploadAllStage::Saved)
            saved << QStringLiteral("  ") + (everyOneWithSnirf ? sensor.files.value(0) : ListOfNames(sensor.files)) +
                         (sensor.reason.isEmpty() ? QString() : QStringLiteral(" (") + sensor.reason + QLatin1Char(')'));
        else if (sensor.progress.stage == UploadAllStage::Failed || sensor.progress.stage == UploadAllStage::Stopped)
            notSaved << QStringLiteral("  ") + sensor.name + QStringLiteral(": ") + sensor.reason;
    }
    lines << MsgUploadAllSaved.arg(saved.size()).arg(outcome.sensors.size()).arg(QDir::toNativeSeparators(outcome.folder)) +
                 (everyOneWithSnirf && !saved.isEmpty() ? MsgUploadAllWithSnirf : QString()) + QLatin1Char(':');
    lines += saved;
    if (!notSaved.isEmpty()) {
        lines << MsgUploadAllNotSaved;
        lines += notSaved;
    }
    const QStringList empty = outcome.Names(UploadAllStage::NoData);
    if (!empty.isEmpty()) lines << MsgUploadAllNoData.arg(ListOfNames(empty));
    if (!outcome.mergeProblem.isEmpty()) lines << MsgUploadAllNotMerged.arg(outcome.mergeProblem);
    return lines.join(QLatin1Char('\n'));
}
