#include <gtest/gtest.h>

#include "data/Clock.h"
#include "data/OleDate.h"
#include "link/TimeSync.h"

TEST(SyncDateTimeString, HalfASecondAheadWithItsCarries) {
    struct Case {
        DateTimeParts now;
        const char* expected;
    };
    const Case cases[] = {
        {{2026, 12, 9, 1, 15, 1, 700}, "TS,261209011502"},
        {{2026, 12, 9, 1, 15, 1, 499}, "TS,261209011501"},
        {{2026, 12, 9, 1, 15, 1, 500}, "TS,261209011502"},
        {{2099, 12, 31, 23, 59, 59, 600}, "TS,000101000000"},  // into 2100, shown as 00
        {{2099, 12, 31, 23, 59, 59, 400}, "TS,991231235959"},
        {{2028, 2, 28, 23, 59, 59, 500}, "TS,280229000000"},
        {{2027, 2, 28, 23, 59, 59, 999}, "TS,270301000000"},
        {{2000, 1, 1, 0, 0, 0, 0}, "TS,000101000000"},
    };
    for (const auto& c : cases) {
        const SettableClock clock(*OleDateFromParts(c.now));
        const QString text = SyncDateTimeString(clock);
        EXPECT_EQ(text, c.expected);
        EXPECT_EQ(text.size(), 15);
    }
}
