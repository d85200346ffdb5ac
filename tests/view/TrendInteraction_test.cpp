#include "view/TrendInteraction.h"

#include <gtest/gtest.h>

#include "view/TrendGeometry.h"

namespace {

// A view whose screen holds 500 samples, as the last paint said.
TrendViewState ScreenOf500() {
    TrendViewState view;
    view.ScreenSamples = 500;
    return view;
}

void Drag(TrendViewState& view, int fromX, int toX, bool live, int count) {
    PressOnTrend(view, Qt::LeftButton, fromX, 100);
    for (int x = fromX + 1; x <= toX; ++x) MoveOnTrend(view, Qt::LeftButton, Qt::NoModifier, x, 100, live, count);
}

TEST(TrendInteraction, StoppedRecordShowsItsEndOrNoBar) {
    TrendViewState view = ScreenOf500();
    view.CursorIndex = 7;
    ShowRecordEnd(view, 2000);
    EXPECT_TRUE(view.ScrollVisible);
    EXPECT_EQ(view.ScrollMaximum, 1500);
    EXPECT_EQ(view.FirstShownSample, 1500);
    EXPECT_EQ(view.ScrollPageStep, 500);

    ShowRecordEnd(view, 300);
    EXPECT_FALSE(view.ScrollVisible);
}

TEST(TrendInteraction, BeforeTheFirstPaintTheArrangementsWidthPlacesTheRecord) {
    TrendViewState view;
    view.ExpectedScreenSamples = 800;
    ShowRecordEnd(view, 120);
    EXPECT_FALSE(view.ScrollVisible) << "a short record fits: it is not scrolled past its end";
    ShowRecordEnd(view, 2000);
    EXPECT_EQ(view.FirstShownSample, 1200);
}

TEST(TrendInteraction, DragRightOnALiveRecordReviewsItAndBackPastTheNewestFollowsAgain) {
    TrendViewState view = ScreenOf500();
    Drag(view, 100, 180, true, 3000);
    ASSERT_TRUE(view.LiveReview);
    EXPECT_TRUE(TrendHighlighted(view));
    EXPECT_TRUE(view.ScrollVisible);
    EXPECT_EQ(view.ScrollMaximum, 2500);
    // The review starts where the drag decided (6 px), then follows the pointer.
    EXPECT_EQ(view.FirstShownSample, 2500 - 6 - (180 - 106));

    // Back to the left past where the review began: the newest samples again.
    for (int x = 179; x >= 0; --x) MoveOnTrend(view, Qt::LeftButton, Qt::NoModifier, x, 100, true, 3000);
    EXPECT_FALSE(view.LiveReview);
    EXPECT_FALSE(view.ScrollVisible);
    EXPECT_FALSE(TrendHighlighted(view));
}

TEST(TrendInteraction, ScrollingToTheNewestEndsAReviewAndRemovesTheCursor) {
    TrendViewState view = ScreenOf500();
    Drag(view, 100, 300, true, 3000);
    ASSERT_TRUE(view.LiveReview);
    view.CursorIndex = 12;
    EXPECT_TRUE(ScrollTrendTo(view, 1000));
    EXPECT_TRUE(view.LiveReview);
    EXPECT_EQ(view.CursorIndex, -1);
    EXPECT_TRUE(ScrollTrendTo(view, 2500));
    EXPECT_FALSE(view.LiveReview);
    EXPECT_FALSE(view.ScrollVisible);
    EXPECT_FALSE(ScrollTrendTo(view, 2500)) << "no change, no paint";
}

TEST(TrendInteraction, VerticalDragsAndShortRecordsDoNotScroll) {
    TrendViewState view = ScreenOf500();
    PressOnTrend(view, Qt::LeftButton, 100, 100);
    EXPECT_FALSE(MoveOnTrend(view, Qt::LeftButton, Qt::NoModifier, 102, 140, true, 3000));
    EXPECT_FALSE(view.LiveReview);

    view = ScreenOf500();
    Drag(view, 100, 200, true, 400);
    EXPECT_FALSE(view.LiveReview);
    EXPECT_FALSE(view.ScrollVisible);
}

TEST(TrendInteraction, DoubleClickSwitchesTheWholeRecordAndItsReleasePlacesNoCursor) {
    TrendViewState view = ScreenOf500();
    ShowRecordEnd(view, 2000);
    EXPECT_TRUE(DoubleClickOnTrend(view, false, 2000));
    EXPECT_TRUE(view.EntireView);
    EXPECT_EQ(view.EntireViewLength, 2000);
    EXPECT_FALSE(view.ScrollVisible);
    EXPECT_FALSE(ReleaseOnTrend(view, Qt::LeftButton, 200, 100, false, 2000, 1000, 600));
    EXPECT_EQ(view.CursorIndex, -1);

    EXPECT_TRUE(DoubleClickOnTrend(view, false, 2000));
    EXPECT_FALSE(view.EntireView);
    EXPECT_TRUE(view.ScrollVisible);
    EXPECT_FALSE(ReleaseOnTrend(view, Qt::LeftButton, 200, 100, false, 2000, 1000, 600));

    TrendViewState shortRecord = ScreenOf500();
    EXPECT_FALSE(DoubleClickOnTrend(shortRecord, false, 300));
    EXPECT_FALSE(shortRecord.EntireView);
}

TEST(TrendInteraction, AClickOnAStoppedRecordPlacesTheCursorADragDoesNot) {
    TrendViewState view = ScreenOf500();
    ShowRecordEnd(view, 2000);
    const TrendLayout layout = ComputeTrendLayout(1000, 600, view.TrendArrangement);
    const int x = layout.Channel[0].Left + 10;
    const int y = (layout.Channel[0].Top + layout.Channel[0].Bottom) / 2;
    PressOnTrend(view, Qt::LeftButton, x, y);
    EXPECT_TRUE(ReleaseOnTrend(view, Qt::LeftButton, x, y, false, 2000, 1000, 600));
    EXPECT_EQ(view.CursorChannel, 0);
    EXPECT_EQ(view.CursorIndex, SampleUnderPointer(layout, x, y, 1500, 2000).Index);

    PressOnTrend(view, Qt::LeftButton, x, y);
    MoveOnTrend(view, Qt::LeftButton, Qt::NoModifier, x + 20, y, false, 2000);
    EXPECT_FALSE(ReleaseOnTrend(view, Qt::LeftButton, x + 20, y, false, 2000, 1000, 600));
    EXPECT_FALSE(ReleaseOnTrend(view, Qt::LeftButton, x, y, true, 2000, 1000, 600)) << "never while live";
}

TEST(TrendInteraction, ArrangementChangeScrollsAStoppedRecordOverItsWholeLength) {
    TrendViewState view = ScreenOf500();
    ShowRecordEnd(view, 2000);
    ChangeTrendArrangement(view, HorizontalArrangement, 1000, true, 2000);
    EXPECT_EQ(view.ScrollMaximum, 1999);
    EXPECT_EQ(view.FirstShownSample, 1500) << "a shown bar keeps its place";
    EXPECT_TRUE(view.ScrollVisible);

    ChangeTrendArrangement(view, VerticalArrangement, 100000, true, 2000);
    EXPECT_FALSE(view.ScrollVisible);
    EXPECT_EQ(view.FirstShownSample, 0);

    ChangeTrendArrangement(view, HorizontalArrangement, 1000, true, 2000);
    EXPECT_TRUE(view.ScrollVisible);
    EXPECT_EQ(view.FirstShownSample, 0) << "a bar that was hidden starts at the record's start";

    TrendViewState live = ScreenOf500();
    ChangeTrendArrangement(live, HorizontalArrangement, 1000, false, 2000);
    EXPECT_EQ(live.TrendArrangement, HorizontalArrangement);
    EXPECT_FALSE(live.ScrollVisible);
}

}  // namespace
