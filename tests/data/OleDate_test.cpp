#include <gtest/gtest.h>

#include <QDateTime>

#include "data/Clock.h"
#include "data/OleDate.h"

TEST(OleDate, KnownDates) {
    EXPECT_EQ(*OleDateFromParts({1899, 12, 30}), 0.0);
    EXPECT_EQ(*OleDateFromParts({1900, 1, 1}), 2.0);
    EXPECT_EQ(*OleDateFromParts({2000, 1, 1}), 36526.0);
    EXPECT_DOUBLE_EQ(*OleDateFromParts({2026, 12, 9, 12, 0, 0}), 46365.5);
}

TEST(OleDate, RejectsImpossibleDates) {
    EXPECT_FALSE(OleDateFromParts({2026, 2, 29}).has_value());
    EXPECT_TRUE(OleDateFromParts({2024, 2, 29}).has_value());
    EXPECT_FALSE(OleDateFromParts({2026, 4, 31}).has_value());
    EXPECT_FALSE(OleDateFromParts({2026, 13, 1}).has_value());
    EXPECT_FALSE(OleDateFromParts({2026, 1, 1, 24, 0, 0}).has_value());
}

TEST(OleDate, PartsRoundTripToTheMillisecond) {
    const DateTimeParts parts{2099, 12, 31, 23, 59, 59, 999};
    const DateTimeParts back = PartsFromOleDate(*OleDateFromParts(parts));
    EXPECT_EQ(back.year, 2099);
    EXPECT_EQ(back.month, 12);
    EXPECT_EQ(back.day, 31);
    EXPECT_EQ(back.hour, 23);
    EXPECT_EQ(back.minute, 59);
    EXPECT_EQ(back.second, 59);
    EXPECT_EQ(back.millisecond, 999);
}

TEST(OleDate, MillisecondArithmeticKeepsFullDuration) {
    const double start = *OleDateFromParts({2026, 12, 9, 23, 0, 0});
    const double later = MillisecondsToOleDate(OleDateToMilliseconds(start) + 2 * 3600 * 1000 + 1);
    const DateTimeParts p = PartsFromOleDate(later);
    EXPECT_EQ(p.day, 10);
    EXPECT_EQ(p.hour, 1);
    EXPECT_EQ(p.millisecond, 1);
}

TEST(OleDate, Formats) {
    const double date = *OleDateFromParts({2026, 1, 2, 3, 4, 5, 600});
    EXPECT_EQ(FormatDateTime(date), "2026/01/02 03:04:05");
    EXPECT_EQ(FormatClockTime(date), "3:04:05");
    EXPECT_EQ(FormatDuration(0.0), "0:00:00");
    EXPECT_EQ(FormatDuration(1.0 + 3.0 / 24 + 1.0 / 86400), "27:00:01");  // past a day
    EXPECT_EQ(FormatDuration(-1.0 / 86400), "-0:00:01");
}

TEST(OleDate, QDateTimeRoundTripInLocalTime) {
    const QDateTime dateTime(QDate(2026, 12, 10), QTime(4, 5, 6, 789));
    const double date = OleDateFromQDateTime(dateTime);
    EXPECT_EQ(FormatDateTime(date), "2026/12/10 04:05:06");
    EXPECT_EQ(QDateTimeFromOleDate(date), dateTime);
}

TEST(Clock, SettableClockAdvances) {
    SettableClock clock(*OleDateFromParts({2026, 12, 31, 23, 59, 59, 500}));
    clock.AdvanceMilliseconds(500);
    EXPECT_EQ(FormatDateTime(clock.Now()), "2027/01/01 00:00:00");
}
