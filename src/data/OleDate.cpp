#include "data/OleDate.h"

#include <QDateTime>
#include <cmath>

namespace {

// Days from 1970-01-01 for a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t year, int month, int day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(int64_t days, int& year, int& month, int& day) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2));
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

const int64_t OleEpochDays = DaysFromCivil(1899, 12, 30);

// Whole days since the epoch and milliseconds into the day, also before it.
struct DayAndTime {
    int64_t days;
    int64_t ofDay;
};

DayAndTime SplitDays(int64_t milliseconds) {
    const int64_t msPerDay = static_cast<int64_t>(MillisecondsPerDay);
    int64_t days = milliseconds / msPerDay;
    int64_t ofDay = milliseconds % msPerDay;
    if (ofDay < 0) {
        ofDay += msPerDay;
        days--;
    }
    return {days, ofDay};
}

QString TwoDigits(int value) { return QString::number(value).rightJustified(2, QLatin1Char('0')); }

}  // namespace

std::optional<double> OleDateFromParts(const DateTimeParts& p) {
    if (p.year < 1 || p.year > 9999 || p.month < 1 || p.month > 12 || p.day < 1 ||
        p.day > DaysInMonth(p.year, p.month) || p.hour < 0 || p.hour > 23 || p.minute < 0 ||
        p.minute > 59 || p.second < 0 || p.second > 59 || p.millisecond < 0 || p.millisecond > 999)
        return std::nullopt;
    const int64_t days = DaysFromCivil(p.year, p.month, p.day) - OleEpochDays;
    const int64_t milliseconds = ((p.hour * 60LL + p.minute) * 60 + p.second) * 1000 + p.millisecond;
    return static_cast<double>(days) + static_cast<double>(milliseconds) / MillisecondsPerDay;
}

int64_t OleDateToMilliseconds(double date) { return std::llround(date * MillisecondsPerDay); }

double MillisecondsToOleDate(int64_t milliseconds) {
    const DayAndTime split = SplitDays(milliseconds);
    return static_cast<double>(split.days) + static_cast<double>(split.ofDay) / MillisecondsPerDay;
}

DateTimeParts PartsFromOleDate(double date) {
    const DayAndTime split = SplitDays(OleDateToMilliseconds(date));
    const int64_t days = split.days;
    const int64_t ofDay = split.ofDay;
    DateTimeParts parts;
    CivilFromDays(days + OleEpochDays, parts.year, parts.month, parts.day);
    parts.millisecond = static_cast<int>(ofDay % 1000);
    parts.second = static_cast<int>(ofDay / 1000 % 60);
    parts.minute = static_cast<int>(ofDay / 60000 % 60);
    parts.hour = static_cast<int>(ofDay / 3600000);
    return parts;
}

double OleDateFromQDateTime(const QDateTime& dateTime) {
    const QDateTime local = dateTime.toLocalTime();
    const QDate date = local.date();
    const QTime time = local.time();
    return *OleDateFromParts({date.year(), date.month(), date.day(), time.hour(), time.minute(),
                              time.second(), time.msec()});
}

QDateTime QDateTimeFromOleDate(double date) {
    const DateTimeParts p = PartsFromOleDate(date);
    return QDateTime(QDate(p.year, p.month, p.day), QTime(p.hour, p.minute, p.second, p.millisecond));
}

QString FormatDateTime(double date) {
    const DateTimeParts p = PartsFromOleDate(date);
    return QString::number(p.year).rightJustified(4, QLatin1Char('0')) + '/' + TwoDigits(p.month) +
           '/' + TwoDigits(p.day) + ' ' + TwoDigits(p.hour) + ':' + TwoDigits(p.minute) + ':' +
           TwoDigits(p.second);
}

QString FormatClockTime(double date) {
    const DateTimeParts p = PartsFromOleDate(date);
    return QString::number(p.hour) + ':' + TwoDigits(p.minute) + ':' + TwoDigits(p.second);
}

QString FormatDuration(double days) {
    int64_t seconds = OleDateToMilliseconds(days) / 1000;
    QString sign;
    if (seconds < 0) {
        sign = QStringLiteral("-");
        seconds = -seconds;
    }
    return sign + QString::number(seconds / 3600) + ':' + TwoDigits(static_cast<int>(seconds / 60 % 60)) +
           ':' + TwoDigits(static_cast<int>(seconds % 60));
}
