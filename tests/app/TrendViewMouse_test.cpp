#include "app/TrendViewHarness.h"

namespace {

TEST_F(TrendViewTest, AClickPlacesTheCursorAndDecidesOnTheResetButton) {
    ShowStoppedRecord(5000, true);
    ASSERT_TRUE(ScrollBarShown());
    const int first = form->ScrollBar1->value();
    EXPECT_EQ(first, 5000 - form->Session.View.ScreenSamples);
    const PaneRect ch2 = Channel(1);

    Click({ch2.Left + 10, ch2.Top + 20});
    EXPECT_EQ(form->Session.View.CursorChannel, 1);
    EXPECT_EQ(form->Session.View.CursorIndex, first + 10);
    EXPECT_TRUE(form->ResetButton->isEnabled());
    Settle();
    EXPECT_TRUE(form->GroupBox3->isVisibleTo(form));
    EXPECT_TRUE(form->GroupBox3->title().startsWith("CH2(R) 10:"));

    // Moving 5 pixels is no drag yet: the release still places the cursor.
    const PaneRect ch1 = Channel(0);
    Press({ch1.Left + 30, ch1.Top + 20});
    MoveHeld({ch1.Left + 35, ch1.Top + 25});
    Release({ch1.Left + 35, ch1.Top + 25});
    EXPECT_EQ(form->ScrollBar1->value(), first);
    EXPECT_EQ(form->Session.View.CursorChannel, 0);
    EXPECT_EQ(form->Session.View.CursorIndex, first + 35);

    // The last two samples cannot take a point.
    const int last = form->Session.View.ScreenSamples - 1;
    Click({ch1.Left + last, ch1.Top + 20});
    EXPECT_EQ(form->Session.View.CursorIndex, 4999);
    EXPECT_FALSE(form->ResetButton->isEnabled());

    // Outside both panes: no cursor, and the read-out goes.
    Click({ch1.Left + 30, ch1.Bottom + 5});
    EXPECT_EQ(form->Session.View.CursorIndex, -1);
    EXPECT_FALSE(form->ResetButton->isEnabled());
    Settle();
    EXPECT_FALSE(form->GroupBox3->isVisibleTo(form));
}

TEST_F(TrendViewTest, TheResetButtonStaysOffAtTheRecordStartAndNextToAPoint) {
    FillRecord(form->Session.Store, 300, 1, TenOClock());
    form->Session.Store.Samples[100].ch[0].status |= StatusInitPoint;
    form->Session.Store.InitPointsEditable = true;
    Settle();
    const PaneRect ch1 = Channel(0);
    Click({ch1.Left + 1, ch1.Top + 20});
    EXPECT_EQ(form->Session.View.CursorIndex, 1);
    EXPECT_FALSE(form->ResetButton->isEnabled());
    Click({ch1.Left + 102, ch1.Top + 20});
    EXPECT_FALSE(form->ResetButton->isEnabled());
    Click({ch1.Left + 103, ch1.Top + 20});
    EXPECT_TRUE(form->ResetButton->isEnabled());
    form->Session.Store.InitPointsEditable = false;  // an opened file
    Click({ch1.Left + 150, ch1.Top + 20});
    EXPECT_FALSE(form->ResetButton->isEnabled());
}

TEST_F(TrendViewTest, ARightPressRemovesTheCursorAndRepaintsOnlyWhenThereIsOne) {
    ShowStoppedRecord(300);
    const PaneRect ch1 = Channel(0);
    Click({ch1.Left + 40, ch1.Top + 20});
    Settle();
    paints = 0;
    Press({ch1.Left + 40, ch1.Top + 20}, Qt::RightButton);
    Settle();
    EXPECT_EQ(form->Session.View.CursorIndex, -1);
    EXPECT_GT(paints, 0);
    paints = 0;
    Press({ch1.Left + 40, ch1.Top + 20}, Qt::RightButton);
    Settle();
    EXPECT_EQ(paints, 0);
}

TEST_F(TrendViewTest, DraggingSidewaysScrollsAStoppedRecordAndPlacesNoCursor) {
    ShowStoppedRecord(5000);
    const int start = form->ScrollBar1->value();
    const PaneRect ch1 = Channel(0);
    const QPoint at{ch1.Left + 400, ch1.Top + 50};
    Press(at);
    MoveHeld(at + QPoint(120, 3));  // right: towards older samples
    EXPECT_EQ(form->ScrollBar1->value(), start - 120);
    MoveHeld(at + QPoint(-500, 3));  // past the end: clamped
    EXPECT_EQ(form->ScrollBar1->value(), form->ScrollBar1->maximum());
    Release(at + QPoint(-500, 3));
    EXPECT_EQ(form->Session.View.CursorIndex, -1);

    // A drag that starts vertically never scrolls.
    Press(at);
    MoveHeld(at + QPoint(2, 10));
    MoveHeld(at + QPoint(200, 10));
    EXPECT_EQ(form->ScrollBar1->value(), form->ScrollBar1->maximum());
    Release(at + QPoint(200, 10));
    EXPECT_EQ(form->Session.View.CursorIndex, -1);
}

TEST_F(TrendViewTest, DraggingRightDuringAMeasurementReviewsAndDraggingBackFollowsAgain) {
    FillRecord(form->Session.Store, 10000, 1, TenOClock());
    form->Session.SetActivityForTest(SessionMode::Measuring);
    Settle();
    const int screen = form->Session.View.ScreenSamples;
    ASSERT_GT(screen, 100);
    const PaneRect ch1 = Channel(0);
    const QPoint at{ch1.Left + 300, ch1.Top + 50};

    // Dragging left while following does nothing.
    Press(at);
    MoveHeld(at - QPoint(50, 0));
    EXPECT_FALSE(form->Session.View.LiveReview);
    EXPECT_FALSE(ScrollBarShown());
    Release(at - QPoint(50, 0));

    Press(at);
    MoveHeld(at + QPoint(50, 0));
    EXPECT_TRUE(form->Session.View.LiveReview);
    ASSERT_TRUE(ScrollBarShown());
    EXPECT_EQ(form->ScrollBar1->maximum(), 10000 - screen);
    EXPECT_EQ(form->ScrollBar1->value(), 10000 - screen - 50);
    EXPECT_EQ(form->ScrollBar1->singleStep(), 50);
    EXPECT_EQ(Panel1Colour(), InfoBackground());

    // The decision starts again from here: 3 pixels decide nothing, 60 back to the left pass the end.
    const QPoint here = at + QPoint(50, 0);
    MoveHeld(here - QPoint(3, 0));
    EXPECT_EQ(form->ScrollBar1->value(), 10000 - screen - 50);
    MoveHeld(here - QPoint(60, 0));
    EXPECT_FALSE(form->Session.View.LiveReview);
    EXPECT_FALSE(ScrollBarShown());
    EXPECT_EQ(Panel1Colour(), QColor(Qt::white));
    Release(here - QPoint(60, 0));
}

TEST_F(TrendViewTest, ScrollingAReviewToItsEndFollowsTheMeasurementAgain) {
    FillRecord(form->Session.Store, 3000, 1, TenOClock());
    form->Session.SetActivityForTest(SessionMode::Measuring);
    Settle();
    const PaneRect ch1 = Channel(0);
    Press({ch1.Left + 100, ch1.Top + 50});
    MoveHeld({ch1.Left + 300, ch1.Top + 50});
    ASSERT_TRUE(form->Session.View.LiveReview);
    form->ScrollBar1->setValue(form->ScrollBar1->maximum() - 1);
    EXPECT_TRUE(form->Session.View.LiveReview);
    form->ScrollBar1->setValue(form->ScrollBar1->maximum());
    EXPECT_FALSE(form->Session.View.LiveReview);
    EXPECT_FALSE(ScrollBarShown());
    EXPECT_EQ(Panel1Colour(), QColor(Qt::white));
}

TEST_F(TrendViewTest, ADoubleClickSwitchesTheOverviewOfALongRecord) {
    ShowStoppedRecord(5000);
    const PaneRect ch1 = Channel(0);
    const QPoint at{ch1.Left + 40, ch1.Top + 20};
    DoubleClick(at);
    EXPECT_TRUE(form->Session.View.EntireView);
    EXPECT_EQ(form->Session.View.EntireViewLength, 5000);
    EXPECT_FALSE(ScrollBarShown());
    EXPECT_EQ(Panel1Colour(), InfoBackground());
    EXPECT_EQ(form->Session.View.CursorIndex, -1);  // the releases place no cursor

    DoubleClick(at);
    EXPECT_FALSE(form->Session.View.EntireView);
    EXPECT_TRUE(ScrollBarShown());
    EXPECT_EQ(Panel1Colour(), QColor(Qt::white));
    EXPECT_EQ(form->Session.View.CursorIndex, -1);
    Click(at);  // the next plain click places one again
    EXPECT_NE(form->Session.View.CursorIndex, -1);
}

TEST_F(TrendViewTest, ADoubleClickOnARecordThatFitsDoesNothing) {
    ShowStoppedRecord(200);
    const PaneRect ch1 = Channel(0);
    Click({ch1.Left + 40, ch1.Top + 20});  // the first click of the two places the cursor
    const QPoint second{ch1.Left + 80, ch1.Top + 20};
    Mouse(QEvent::MouseButtonDblClick, second, Qt::LeftButton, Qt::LeftButton);
    Release(second);
    EXPECT_FALSE(form->Session.View.EntireView);
    EXPECT_EQ(form->Session.View.CursorIndex, 40);  // the release after the double click placed none
}

}  // namespace
