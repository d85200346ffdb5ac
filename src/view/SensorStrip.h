#pragma once

#include <QFont>
#include <QList>
#include <QPainter>
#include <QRect>
#include <QString>
#include <optional>

// One sensor in the strip that lists the sensors measured together.
struct SensorStripEntry {
    QString name;                     // "Tq580-123456-001"
    std::optional<float> sto2[2];     // the latest STO2 of CH1(L) and CH2(R), in %; nothing before a sample
    std::optional<float> batteryVolts;
    QString state;                    // "measuring", "lost", "reconnecting", ...; empty after the measurement
    bool trouble = false;             // its link is away: the state in red
    bool shown = false;               // the trend shows this one
};

// Each sensor as three lines (its name, its STO2, its battery and state)
// from the top of the area down, the one the trend shows on a highlight.
void PaintSensorStrip(QPainter& painter, const QRect& area, const QFont& font, const QList<SensorStripEntry>& entries);

// The entry at a point of the area (for a click), or -1.
int SensorStripEntryAt(const QRect& area, const QFont& font, int entryCount, QPoint point);
