#include "app/RecordProgress.h"

QString ProgressLine(int64_t seconds, const QList<SensorProgress>& sensors) {
    QString line = QStringLiteral("%1 s").arg(seconds);
    for (const SensorProgress& sensor : sensors) {
        const QString battery =
            sensor.batteryVolts > 0 ? QStringLiteral("%1 V").arg(sensor.batteryVolts, 0, 'f', 2) : QStringLiteral("-");
        // Joined, not formatted: a name may hold a '%'.
        line += QStringLiteral(" | ") + sensor.name + QStringLiteral(": ") + QString::number(sensor.rows) +
                QStringLiteral(" rows, battery ") + battery + QStringLiteral(", ") + sensor.state;
    }
    return line;
}

QString UploadAllProgressLine(int64_t seconds, const QList<UploadAllSensor>& sensors) {
    QString line = QStringLiteral("%1 s").arg(seconds);
    if (sensors.isEmpty()) return line + QStringLiteral(" | scanning");
    for (const UploadAllSensor& sensor : sensors)
        line += QStringLiteral(" | ") + sensor.name + QStringLiteral(": ") + UploadAllStageText(sensor.progress);
    return line;
}
