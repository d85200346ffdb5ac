#pragma once

#include <QList>
#include <QString>
#include <cstdint>

#include "session/UploadAll.h"

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

// "12 s | Tq580-123456-001: SAVED | Tq580-123456-004: UP 45% | ...": the
// seconds since Upload all began and where each sensor stands, in the words
// of the storage page's table; "scanning" until the scan found them.
QString UploadAllProgressLine(int64_t seconds, const QList<UploadAllSensor>& sensors);
