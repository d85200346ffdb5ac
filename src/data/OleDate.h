#pragma once

#include <QString>
#include <cstdint>
#include <optional>

class QDateTime;

// Date-times are OLE dates: days since 1899-12-30 as a double, the fraction
// being the time of day, in local time.

constexpr double MillisecondsPerDay = 86400000.0;

struct DateTimeParts {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// Empty when a field is out of range or the day does not exist in the month.
std::optional<double> OleDateFromParts(const DateTimeParts& parts);

// Rounded to the nearest millisecond.
DateTimeParts PartsFromOleDate(double date);

// Whole milliseconds since the epoch, rounded; and back.
int64_t OleDateToMilliseconds(double date);
double MillisecondsToOleDate(int64_t milliseconds);

double OleDateFromQDateTime(const QDateTime& dateTime);
QDateTime QDateTimeFromOleDate(double date);

// "yyyy/mm/dd hh:nn:ss"
QString FormatDateTime(double date);
// "h:nn:ss" of the time of day
QString FormatClockTime(double date);
// "h:nn:ss" of a duration in days; hours keep counting past 24
QString FormatDuration(double days);
