#include <gtest/gtest.h>

#include <climits>

#include "app/WindowPlacement.h"

namespace {

const QList<QRect> TwoScreens = {{0, 0, 1920, 1040}, {1920, 0, 1280, 1024}};

struct StoredCase {
    const char* name;
    int top, left, width, height;
    QRect expected;
};

TEST(WindowPlacement, StoredValuesOnAScreenAreTakenRaisedToTheMinimum) {
    const StoredCase cases[] = {
        {"on the first screen", 100, 50, 1200, 800, {50, 100, 1200, 800}},
        {"on the second screen", 100, 2000, 1100, 700, {2000, 100, 1100, 700}},
        {"too small", 100, 50, 800, 600, {50, 100, 1024, 690}},
        {"title partly off the right edge but reachable", 100, 1700, 1100, 700, {1700, 100, 1100, 700}},
        {"all values 1", 1, 1, 1, 1, {1, 1, 1024, 690}},
        {"top 0", 0, 50, 1200, 800, {}},
        {"left -1", 100, -1, 1200, 800, {}},
        {"height 0", 100, 50, 1200, 0, {}},
        {"beyond the right screen", 100, 3190, 1100, 700, {}},
        {"below every screen", 1030, 50, 1100, 700, {}},
        {"a removed third screen", 100, 3300, 1100, 700, {}},
        // From a damaged file: the window's right edge would not fit an int.
        {"width past any screen", 100, 1, INT_MAX, 800, {}},
        {"height past any screen", 1, 50, 1200, INT_MAX, {}},
        {"left past any screen", 100, INT_MAX, 1200, 800, {}},
        {"top past any screen", INT_MAX, 50, 1200, 800, {}},
    };
    for (const StoredCase& stored : cases) {
        SCOPED_TRACE(stored.name);
        EXPECT_EQ(StoredPlacement(stored.top, stored.left, stored.width, stored.height, TwoScreens), stored.expected);
    }
}

TEST(WindowPlacement, CentredKeepsTheTitleOnTheScreen) {
    EXPECT_EQ(CentredPlacement({1024, 690}, {0, 0, 1920, 1040}), QRect(448, 175, 1024, 690));
    EXPECT_EQ(CentredPlacement({1024, 690}, {1920, 0, 1280, 1024}), QRect(2048, 167, 1024, 690));
    EXPECT_EQ(CentredPlacement({1024, 690}, {0, 0, 800, 600}), QRect(0, 0, 1024, 690));
}

TEST(WindowPlacement, ResizeRequestsAreRaisedToTheMinimum) {
    EXPECT_EQ(RaiseToMinimum({800, 600}), QSize(1024, 690));
    EXPECT_EQ(RaiseToMinimum({1300, 600}), QSize(1300, 690));
    EXPECT_EQ(RaiseToMinimum({1300, 900}), QSize(1300, 900));
}

}  // namespace
