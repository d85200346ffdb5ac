#include <gtest/gtest.h>

#include "view/PrintPlacement.h"

namespace {

TEST(PrintPlacement, FillsEightyPercentOfThePageInTheLimitingDirection) {
    // Wider than the page: full 80 % of the width, less height.
    EXPECT_EQ(PrintPlacement({1000, 1000}, {200, 100}), QRect(100, 100, 800, 400));
    // Taller: full 80 % of the height.
    EXPECT_EQ(PrintPlacement({1000, 1000}, {100, 200}), QRect(100, 100, 400, 800));
    // A window on an A4 page at 300 dpi: the width limits, the ratio stays.
    const QRect a4 = PrintPlacement({2480, 3508}, {1008, 660});
    EXPECT_EQ(a4, QRect(248, 350, 1984, 1299));  // 660 * 1984 / 1008 = 1299.04..
    // Truncations: 0.8 * 1001 = 800.8 and a tenth of 1001 is 100.
    EXPECT_EQ(PrintPlacement({1001, 1001}, {100, 100}), QRect(100, 100, 800, 800));
    EXPECT_TRUE(PrintPlacement({1000, 1000}, {0, 0}).isNull());
}

}  // namespace
