#include <gtest/gtest.h>

#include "data/BcdDate.h"
#include "data/OleDate.h"

TEST(EncodeBCDdate, CorrectsEachFieldIntoRange) {
    struct Case {
        uint32_t date, time;
        const char* expected;
    };
    const Case cases[] = {
        {0x261209, 0x143005, "2026/12/09 14:30:05"},
        {0x991A40, 0x256161, "2099/01/01 00:00:00"},  // 1A reads 20, 40 is no day, 25/61/61 too big
        {0x000101, 0x000000, "2000/01/01 00:00:00"},
        {0xA00000, 0x235959, "2000/01/01 23:59:59"},  // year "100", month and day 0
        {0x991231, 0x240000, "2099/12/31 00:00:00"},
        {0x26133F, 0x0A0B0C, "2026/01/01 10:11:12"},  // nibbles above 9 count as they come
        {0xFF261209, 0xFF143005, "2026/12/09 14:30:05"},  // the top byte is not part of it
        {0x280229, 0x120000, "2028/02/29 12:00:00"},
    };
    for (const auto& c : cases) {
        const double date = EncodeBCDdate(c.date, c.time);
        EXPECT_EQ(FormatDateTime(date), c.expected) << std::hex << c.date << " " << c.time;
        EXPECT_EQ(PartsFromOleDate(date).millisecond, 0);
    }
}

// A day the month lacks is an impossible day like any other: it becomes the 1st.
TEST(EncodeBCDdate, DayMissingFromItsMonthBecomesTheFirst) {
    EXPECT_EQ(FormatDateTime(EncodeBCDdate(0x260431, 0x083000)), "2026/04/01 08:30:00");
    EXPECT_EQ(FormatDateTime(EncodeBCDdate(0x270229, 0x083000)), "2027/02/01 08:30:00");
    EXPECT_EQ(FormatDateTime(EncodeBCDdate(0x260230, 0x000000)), "2026/02/01 00:00:00");
}
