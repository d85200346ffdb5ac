#pragma once

#include <QString>
#include <cstdint>

struct SampleStore;

// The times the trend writes, all "h:nn:ss". Elapsed times count hours on
// past 24 ("25:00:00", "150:00:00"); clock times are times of day and so
// start again after midnight.

QString ElapsedText(int64_t seconds);
// The time of day `seconds` after the start.
QString ClockTextAfter(double startTime, int64_t seconds);
// TimeLabel: the newest sample's time stamp minus the record start.
QString TimeLabelText(const SampleStore& store);
// GroupBox3's caption for the sample cursor: "CH1(L) 10:00:02.50", the
// hundredths only when they are not 0.
QString CursorCaption(const SampleStore& store, int32_t channel, int32_t sampleIndex);

inline const QString EmptyTimeLabel = QStringLiteral("00:00:00");
