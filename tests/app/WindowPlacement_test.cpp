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

class StoredValues : public ::testing::TestWithParam<StoredCase> {};

TEST_P(StoredValues, OnAScreenAreTakenRaisedToTheMinimumElseIgnored) {
    const StoredCase& stored = GetParam();
    EXPECT_EQ(StoredPlacement(stored.top, stored.left, stored.width, stored.height, TwoScreens), stored.expected);
}

INSTANTIATE_TEST_SUITE_P(
    WindowPlacement, StoredValues,
    ::testing::Values(
        StoredCase{"OnTheFirstScreen", 100, 50, 1200, 800, {50, 100, 1200, 800}},
        StoredCase{"OnTheSecondScreen", 100, 2000, 1100, 700, {2000, 100, 1100, 700}},
        StoredCase{"TooSmall", 100, 50, 800, 600, {50, 100, 1024, 690}},
        StoredCase{"TitlePartlyOffTheRightEdgeButReachable", 100, 1700, 1100, 700, {1700, 100, 1100, 700}},
        StoredCase{"AllValues1", 1, 1, 1, 1, {1, 1, 1024, 690}},
        StoredCase{"Top0", 0, 50, 1200, 800, {}},
        StoredCase{"LeftNegative", 100, -1, 1200, 800, {}},
        StoredCase{"Height0", 100, 50, 1200, 0, {}},
        StoredCase{"BeyondTheRightScreen", 100, 3190, 1100, 700, {}},
        StoredCase{"BelowEveryScreen", 1030, 50, 1100, 700, {}},
        StoredCase{"ARemovedThirdScreen", 100, 3300, 1100, 700, {}},
        // From a damaged file: the window's right edge would not fit an int.
        StoredCase{"WidthPastAnyScreen", 100, 1, INT_MAX, 800, {}},
        StoredCase{"HeightPastAnyScreen", 1, 50, 1200, INT_MAX, {}},
        StoredCase{"LeftPastAnyScreen", 100, INT_MAX, 1200, 800, {}},
        StoredCase{"TopPastAnyScreen", INT_MAX, 50, 1200, 800, {}}),
    [](const ::testing::TestParamInfo<StoredCase>& info) { return std::string(info.param.name); });

// Closing while maximised stores the same frame as closing in the normal
// state, so the next start opens the window where it was, frame and all.
TEST(WindowPlacement, AMaximisedWindowStoresTheFrameItReturnsTo) {
    const QMargins frame(1, 20, 1, 5);  // the window manager's borders and title bar
    const QRect normalFrame(200, 100, 1100, 700);
    const QRect normalClient = normalFrame.marginsRemoved(frame);
    const QRect maximisedFrame(0, 0, 1920, 1040);
    EXPECT_EQ(PlacementToStore(true, normalFrame, normalClient, frame), normalFrame);
    EXPECT_EQ(PlacementToStore(false, maximisedFrame, normalClient, frame), normalFrame);
    // Maximised from the start, never framed in the normal state: the window
    // returns to what it was given, the frame's place and size.
    EXPECT_EQ(PlacementToStore(false, maximisedFrame, normalFrame, QMargins()), normalFrame);
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
