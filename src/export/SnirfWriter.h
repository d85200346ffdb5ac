#pragma once

#include <QString>

struct SampleStore;

struct SnirfWriteOutcome {
    bool written = false;
    QString reason;  // why not, when not written
};

// Writes the record as a SNIRF 1.0 file of processed haemoglobin: OXHb and
// DXHb of both channels in molar units (placeholders as NaN), the probe with
// one 35 mm source-detector pair per channel, the event marks and
// value-initialization points as stimuli, STO2, TOHb, acceleration and
// battery as auxiliary series. The file is written under a temporary name in
// the target's folder and renamed over the target only when complete; on
// any failure the temporary file is removed and an existing target stays as
// it was. Sensor-check records and empty records are refused.
SnirfWriteOutcome WriteSnirfFile(const SampleStore& store, const QString& path);

// The record's start, a local time, in UTC: "YYYY-MM-DD" and "hh:mm:ssZ".
struct SnirfMeasurementTime {
    QString date;
    QString time;
};
SnirfMeasurementTime MeasurementTimeInUtc(double localStartTime);
