#include <gtest/gtest.h>

#include <QFontMetrics>
#include <limits>

#include "view/PaintProbe.h"
#include "view/RecordFixture.h"
#include "view/TrendColours.h"
#include "view/TrendGeometry.h"

namespace {

using namespace TrendColour;

// 1000 x 600, panes stacked: PW 960; channel 1 rows 20..193, channel 2
// 213..386, acceleration 406..579. STO2 0.5 lies on row 106 of channel 1,
// TOHb 0.15 mM at "x1.0" on row 117, 1 G on row 448 and 0 G on row 492.
const QSize Size{1000, 600};

int TextHeight() {
    QFont font(QStringLiteral("sans-serif"));
    font.setPixelSize(13);
    return QFontMetrics(font).height();
}

class TrendPainterTest : public ::testing::Test {
protected:
    SampleStore store;
    TrendViewState view;
};

TEST_F(TrendPainterTest, AStoppedRecordShowsFramesGridTracesAndItsScreen) {
    FillRecord(store, 5000, 1, TenOClock());
    const PaintProbe probe(store, view, Size, [](TrendPaintInput& input) {
        input.ScrollBarVisible = true;
        input.ScrollBarPosition = 300;
    });
    EXPECT_TRUE(probe.outcome.Drawn);
    EXPECT_EQ(probe.outcome.ScreenSamples, 960);
    EXPECT_EQ(probe.outcome.TimeLabel, "0:08:19");
    EXPECT_EQ(probe.At(20, 150), DarkGrey);   // left and right edges
    EXPECT_EQ(probe.At(980, 150), DarkGrey);
    EXPECT_EQ(probe.At(500, 20), DarkGrey);   // outer grid lines
    EXPECT_EQ(probe.At(500, 193), DarkGrey);
    EXPECT_EQ(probe.At(500, 63), Silver);     // inner grid line at a quarter
    // Sample 300 is on the left edge; the first grid line is 100 columns in.
    EXPECT_EQ(probe.At(120, 420), Silver);
    EXPECT_EQ(probe.At(220, 420), Silver);
    EXPECT_EQ(probe.At(119, 420), QColor(Qt::white));
    EXPECT_EQ(probe.At(70, 420), QColor(Qt::white));
    EXPECT_TRUE(probe.Near(500, 106, Purple));
    EXPECT_TRUE(probe.Near(500, 117, Green));
    EXPECT_TRUE(probe.Near(500, 448, Green));  // Z at 1 G
    EXPECT_TRUE(probe.Near(500, 492, Blue));   // Y over X at 0 G
    // Not live: message panel cleared and battery hidden.
    ASSERT_TRUE(probe.outcome.MessagePanel.has_value());
    EXPECT_TRUE(probe.outcome.MessagePanel->Text.isEmpty());
    ASSERT_TRUE(probe.outcome.BattPanel.has_value());
    EXPECT_FALSE(probe.outcome.BattPanel->Visible);
    EXPECT_EQ(probe.outcome.GroupBox3, BoxChange::Hide);  // no cursor
}

TEST_F(TrendPainterTest, ValuesOffTheAxesAreClampedToThePaneEdges) {
    constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
    FillRecord(store, 960, 1, TenOClock(), [](int32_t i, MEAS_DATA_TYPE& s) {
        s.ch[0].tohb = i < 480 ? 5.0f : -5.0f;
        s.ch[1].sto2 = i < 480 ? NaN : 2.0f;
        s.acc[0] = 10;
        s.acc[1] = -10;
        s.acc[2] = 0;
    });
    const PaintProbe probe(store, view, Size);
    EXPECT_TRUE(probe.Near(100, 20, Green));   // above the axis: top edge
    EXPECT_TRUE(probe.Near(700, 193, Green));  // below: bottom edge
    // Inside the pane only the jump between the two halves crosses it.
    EXPECT_EQ(probe.CountIn(QRect(21, 22, 470, 169), Green), 0);
    EXPECT_EQ(probe.CountIn(QRect(510, 22, 469, 169), Green), 0);
    EXPECT_TRUE(probe.Near(100, 213, Purple));  // STO2 not a number: top
    EXPECT_TRUE(probe.Near(700, 213, Purple));  // above 100 %: top
    EXPECT_TRUE(probe.Near(300, 406, Red));
    EXPECT_TRUE(probe.Near(300, 579, Blue));
}

// Rows without data (a lost link) are a gap in every trace: nothing is
// drawn over them, nor pulled towards zero beside them by the average.
TEST_F(TrendPainterTest, RowsWithoutDataAreAGapInTheTraces) {
    FillRecord(store, 960, 1, TenOClock(), [&](int32_t i, MEAS_DATA_TYPE& s) {
        if (i >= 400 && i < 600) {
            s = store.NoDataSample;
            s.index = i;
        }
    });
    for (const int averaging : {0, 5}) {
        SCOPED_TRACE(averaging);
        const PaintProbe probe(store, view, Size, [&](TrendPaintInput& input) { input.AveItem = averaging; });
        // Columns 20 + 400 .. 20 + 599 hold no trace in any pane.
        EXPECT_EQ(probe.CountIn(QRect(425, 21, 170, 560), Purple), 0);
        EXPECT_EQ(probe.CountIn(QRect(425, 21, 170, 560), Green), 0);
        EXPECT_EQ(probe.CountIn(QRect(425, 406, 170, 170), Blue), 0);
        // Both sides keep their values up to the gap: STO2 0.5 on row 106,
        // 1 G on row 448; none drops towards 0 % or 0 G.
        for (const int x : {300, 417, 622, 800}) {
            EXPECT_TRUE(probe.Near(x, 106, Purple, 2)) << x;
            EXPECT_TRUE(probe.Near(x, 448, Green, 2)) << x;
        }
        EXPECT_EQ(probe.CountIn(QRect(21, 108, 950, 84), Purple), 0);
    }
}

TEST_F(TrendPainterTest, FollowingALiveRecordPutsTheNewestSampleInTheLastColumn) {
    FillRecord(store, 2000, 1, TenOClock(), [](int32_t i, MEAS_DATA_TYPE& s) {
        if (i == 1999) s.ch[0].sto2 = 1.0f;
    });
    const PaintProbe live(store, view, Size, [](TrendPaintInput& input) { input.Live = true; });
    EXPECT_TRUE(live.Near(979, 20, Purple));
    EXPECT_FALSE(live.Near(960, 20, Purple, 2));
    // First shown sample 1040: the grid line of sample 1100 is 60 columns in.
    EXPECT_EQ(live.At(80, 420), Silver);
    EXPECT_EQ(live.outcome.GroupBox3, BoxChange::Hide);
    ASSERT_TRUE(live.outcome.BattPanel.has_value());
    EXPECT_TRUE(live.outcome.BattPanel->Visible);

    // A record shorter than the pane grows from the left edge.
    FillRecord(store, 500, 1, TenOClock());
    const PaintProbe shorter(store, view, Size, [](TrendPaintInput& input) { input.Live = true; });
    EXPECT_TRUE(shorter.Near(22, 106, Purple));
    EXPECT_TRUE(shorter.Near(518, 106, Purple));
    EXPECT_FALSE(shorter.Near(600, 106, Purple, 2));
}

TEST_F(TrendPainterTest, TheLiveErrorReadOutOpensItsListWhileThePointerRestsOnIt) {
    FillRecord(store, 100, 1, TenOClock());
    store.CurrentSample.ch[0].status = 0x0401;
    const int h = TextHeight();
    const int textTop = 20 - h - 1;
    view.HoverX = 500;  // the pane's middle, over the error text
    view.HoverY = textTop + 1;
    const auto live = [](TrendPaintInput& input) { input.Live = true; };
    const PaintProbe hovered(store, view, Size, live);
    EXPECT_GT(hovered.CountIn(QRect(470, textTop, 60, h), Red), 0);
    EXPECT_EQ(hovered.outcome.GroupBox3, BoxChange::Show);
    EXPECT_EQ(hovered.outcome.ReadOut.Caption, "Error Status");
    EXPECT_TRUE(hovered.outcome.ReadOut.ShowsError);
    EXPECT_EQ(hovered.outcome.ReadOut.Status, "7mm770nm PD meas. error\nNo data\n");

    view.HoverY = textTop + h + 5;  // below the text, inside the pane
    const PaintProbe away(store, view, Size, live);
    EXPECT_EQ(away.outcome.GroupBox3, BoxChange::Hide);
    // Channel 2 reads normally: its STO2 text ends at the middle, in purple.
    EXPECT_GT(away.CountIn(QRect(440, 213 - h - 1, 60, h), Purple), 0);
}

TEST_F(TrendPainterTest, TheSampleCursorDrawsALimeLineAndFillsTheReadOut) {
    FillRecord(store, 3000, 1, TenOClock());
    view.CursorChannel = 1;
    view.CursorIndex = 50;
    const PaintProbe probe(store, view, Size);
    EXPECT_GT(probe.CountInColumn(70, 214, 385, Lime), 100);
    EXPECT_EQ(probe.CountInColumn(70, 21, 192, Lime), 0);
    EXPECT_EQ(probe.outcome.GroupBox3, BoxChange::Show);
    EXPECT_EQ(probe.outcome.ReadOut.Caption, "CH2(R) 10:00:05");
    EXPECT_EQ(probe.outcome.ReadOut.TOHb, "TOHb= 0.1500[mM]");

    // On the left edge of the screen the line is left out; the read-out stays.
    const PaintProbe onEdge(store, view, Size, [](TrendPaintInput& input) {
        input.ScrollBarVisible = true;
        input.ScrollBarPosition = 50;
    });
    EXPECT_EQ(onEdge.CountIn(QRect(0, 0, 1000, 600), Lime), 0);
    EXPECT_EQ(onEdge.outcome.GroupBox3, BoxChange::Show);
}

TEST_F(TrendPainterTest, EventAndValueInitializationMarksSitOnTheirSamples) {
    FillRecord(store, 3000, 1, TenOClock(), [](int32_t i, MEAS_DATA_TYPE& s) {
        if (i == 200) s.ch[0].status |= StatusInitPoint;
    });
    AddEventMark(store, 100, 3);
    AddEventMark(store, 300, -3);
    const PaintProbe probe(store, view, Size);
    EXPECT_EQ(probe.At(120, 40), Teal);
    EXPECT_EQ(probe.At(120, 230), Teal);
    EXPECT_EQ(probe.At(120, 420), Teal);
    EXPECT_EQ(probe.At(320, 420), Teal);
    EXPECT_EQ(probe.At(220, 40), Maroon);
    EXPECT_EQ(probe.At(220, 230), Maroon);
    EXPECT_NE(probe.At(220, 420), Maroon);
    const int h = TextHeight();
    EXPECT_GT(probe.CountIn(QRect(110, 387, 20, h), Teal), 0);    // "3>" under channel 2
    EXPECT_EQ(probe.CountIn(QRect(110, 194, 20, h - 2), Teal), 0);  // none under channel 1

    view.TrendArrangement = HorizontalArrangement;  // channel 1 gets its own texts
    const PaintProbe sideBySide(store, view, Size);
    const int bottom = 20 + 2 * ((600 - 60) / 3);
    EXPECT_GT(sideBySide.CountIn(QRect(110, bottom + 1, 20, h), Teal), 0);
    EXPECT_GT(sideBySide.CountIn(QRect(210, bottom + 1, 20, h), Maroon), 0);
    EXPECT_EQ(sideBySide.At(470 + 40 + 100, 100), Teal);  // channel 2 at PW + 40
}

TEST_F(TrendPainterTest, ASensorCheckDrawsTheTickedLightCounts) {
    FillRecord(store, 960, 1, TenOClock(), [](int32_t, MEAS_DATA_TYPE& s) {
        for (auto& channel : s.ch) {
            channel.level[0] = 2000;
            channel.level[1] = 1000;
            channel.level[2] = 5000;
        }
    });
    store.CheckSensorsMode = true;
    view.CursorChannel = 0;
    view.CursorIndex = 100;
    const PaintProbe probe(store, view, Size, [](TrendPaintInput& input) { input.ShowLevel[1] = false; });
    EXPECT_EQ(probe.At(500, 172), Red);  // a count of 500
    EXPECT_TRUE(probe.Near(500, 106, Blue));
    EXPECT_TRUE(probe.Near(500, 20, Aqua));  // above 4000: top edge
    EXPECT_EQ(probe.CountIn(QRect(21, 21, 958, 171), Fuchsia), 0);
    EXPECT_EQ(probe.CountIn(QRect(21, 21, 958, 171), Purple), 0);
    EXPECT_EQ(probe.CountIn(QRect(0, 0, 1000, 600), Lime), 0);  // no cursor
    EXPECT_EQ(probe.outcome.GroupBox3, BoxChange::Hide);
}

TEST_F(TrendPainterTest, AnEmptyRecordShowsOnlyFramesLabelsAndTitles) {
    const PaintProbe probe(store, view, Size);
    EXPECT_TRUE(probe.outcome.Drawn);
    EXPECT_EQ(probe.outcome.TimeLabel, "00:00:00");
    EXPECT_FALSE(probe.outcome.MessagePanel.has_value());
    EXPECT_FALSE(probe.outcome.BattPanel.has_value());
    EXPECT_EQ(probe.outcome.GroupBox3, BoxChange::Untouched);
    EXPECT_EQ(probe.At(20, 150), DarkGrey);
    EXPECT_EQ(probe.CountIn(QRect(21, 21, 958, 171), Green), 0);
    EXPECT_GT(probe.CountIn(QRect(470, 0, 60, 20), Black), 0);  // "CH1(L)"
    EXPECT_GT(probe.CountIn(QRect(900, 0, 80, 20), Green), 0);  // "TOHb[mM]"
}

TEST_F(TrendPainterTest, NothingIsDrawnWhileAnUploadRuns) {
    FillRecord(store, 100, 1, TenOClock());
    store.UploadActive = true;
    const PaintProbe probe(store, view, Size);
    EXPECT_FALSE(probe.outcome.Drawn);
    EXPECT_EQ(probe.CountIn(QRect(0, 0, 1000, 600), QColor(Qt::white)), 1000 * 600);
}

TEST_F(TrendPainterTest, TheOverviewSpreadsTheWholeRecordOverThePane) {
    // 840 wide: PW 800. Sample 9993 is the last column's pick.
    FillRecord(store, 10000, 1, TenOClock(), [](int32_t i, MEAS_DATA_TYPE& s) {
        if (i == 9993) s.ch[0].sto2 = 1.0f;
    });
    AddEventMark(store, 0, 1);
    AddEventMark(store, 9999, -1);
    AddEventMark(store, 10000, 2);  // beyond the frozen length: ends the walk
    store.Samples[5000].ch[0].status |= StatusInitPoint;
    view.EntireView = true;
    view.EntireViewLength = 10000;
    view.ScreenSamples = 800;
    view.CursorChannel = 0;
    view.CursorIndex = 10;
    const PaintProbe probe(store, view, QSize(840, 600), [](TrendPaintInput& input) {
        input.ScrollBarVisible = true;
        input.ScrollBarPosition = 10;
    });
    EXPECT_FALSE(probe.outcome.ScreenSamples.has_value());
    EXPECT_EQ(probe.outcome.GroupBox3, BoxChange::Untouched);
    EXPECT_TRUE(probe.Near(819, 20, Purple));
    EXPECT_FALSE(probe.Near(815, 20, Purple, 1));
    EXPECT_EQ(probe.At(20, 420), Teal);   // sample 0 on the left edge
    EXPECT_EQ(probe.At(819, 420), Teal);  // sample n - 1 just left of the right edge
    EXPECT_EQ(probe.At(420, 40), Maroon); // sample 5000 in the middle
    EXPECT_EQ(probe.CountIn(QRect(0, 0, 840, 600), Lime), 0);
    // 1000 s over 800 columns of the last screen: a line every 300 s, at 240, 480, 720.
    EXPECT_EQ(probe.At(260, 420), Silver);
    EXPECT_EQ(probe.At(500, 420), Silver);
    EXPECT_EQ(probe.At(740, 420), Silver);
}

}  // namespace
