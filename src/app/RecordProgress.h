#pragma once

#include <QList>
#include <QString>
#include <cstdint>

// One sensor as the progress line tells it.
struct SensorProgress {
    QString name;
    int32_t rows = 0;
    float batteryVolts = 0;  // 0: not heard yet
    QString state;           // "scanning", "connecting", "measuring", "lost", "reconnecting"
};

// "8 s | Tq580-123456-001: 80 rows, battery 3.00 V, measuring | ...", the
// seconds counted from the measurement's first sample; "battery -" for a
// sensor not heard yet.
QString ProgressLine(int64_t seconds, const QList<SensorProgress>& sensors);
