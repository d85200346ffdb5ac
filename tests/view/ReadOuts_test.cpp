#include <gtest/gtest.h>

#include <limits>

#include "view/ReadOuts.h"
#include "view/RecordFixture.h"
#include "view/TimeTexts.h"
#include "view/TrendColours.h"

namespace {

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();

TEST(TimeTexts, ElapsedTimesCountHoursPastADayClockTimesWrap) {
    EXPECT_EQ(ElapsedText(0), "0:00:00");
    EXPECT_EQ(ElapsedText(3725), "1:02:05");
    EXPECT_EQ(ElapsedText(86399), "23:59:59");
    EXPECT_EQ(ElapsedText(90000), "25:00:00");
    EXPECT_EQ(ElapsedText(540000), "150:00:00");  // a full record at 5 s
    EXPECT_EQ(ClockTextAfter(TenOClock(), 600), "10:10:00");
    EXPECT_EQ(ClockTextAfter(TenOClock(), 15 * 3600), "1:00:00");  // the next morning
}

TEST(TimeTexts, TheTimeLabelCountsFromTheRecordStart) {
    SampleStore store;
    FillRecord(store, 36001, 1, TenOClock());
    EXPECT_EQ(TimeLabelText(store), "1:00:00");
    FillRecord(store, 19000, 5, TenOClock());  // the newest 18999 x 5 s after the start
    EXPECT_EQ(TimeLabelText(store), "26:23:15");
}

TEST(TimeTexts, TheCursorCaptionShowsHundredthsOnlyWhenThereAreAny) {
    SampleStore store;
    FillRecord(store, 100, 1, TenOClock());
    EXPECT_EQ(CursorCaption(store, 0, 25), "CH1(L) 10:00:02.50");
    EXPECT_EQ(CursorCaption(store, 1, 20), "CH2(R) 10:00:02");
    store.RecordRateIndex = 0;
    EXPECT_EQ(CursorCaption(store, 0, 1), "CH1(L) 10:00:00.05");
}

TEST(ErrorReadOut, ShowsTheWholeStatusWordAndTheTextsOfItsErrorBits) {
    EXPECT_EQ(ErrorReadOutText(0x0401), "ERR(0401)");
    EXPECT_EQ(ErrorReadOutText(0x8C01), "ERR(8C01)");
    EXPECT_EQ(ErrorList(0x0401), "7mm770nm PD meas. error\nNo data\n");
    EXPECT_EQ(ErrorList(0x0800), "\n");  // bit 11 has an empty text
    EXPECT_EQ(ErrorList(0x0300), "OXHb,DXHb calc. error\nSTO2 calc. error\n");
    EXPECT_EQ(ErrorList(0xF000), "");    // restart and point bits are no errors
    EXPECT_TRUE(HasErrorBits(0x0800));
    EXPECT_FALSE(HasErrorBits(0x9000));
}

TEST(LiveAndCursorTexts, FollowTheDisplayItemFormats) {
    CH_DATA_TYPE channel{};
    channel.oxhb = 0.1234f;
    channel.dxhb = -0.05f;
    channel.tohb = 0.0734f;
    channel.sto2 = 0.659f;
    EXPECT_EQ(LiveSto2Text(channel.sto2), "STO2:65[%] ");
    EXPECT_EQ(LiveItemText(channel, 0), " OXHb:0.12[mM]");
    EXPECT_EQ(LiveItemText(channel, 1), " DXHb:-0.05[mM]");
    EXPECT_EQ(LiveItemText(channel, 2), " TOHb:0.07[mM]");
    EXPECT_EQ(DisplayItemAt(1).AxisName, "DXHb[mM]");
    const CursorReadOut values = CursorValues(channel);
    EXPECT_FALSE(values.ShowsError);
    EXPECT_EQ(values.OXHb, "OXHb= 0.1234[mM]");
    EXPECT_EQ(values.DXHb, "DXHb=-0.0500[mM]");
    EXPECT_EQ(values.STO2, "STO2=65[%]");
    channel.status = 0x0200;
    const CursorReadOut error = CursorValues(channel);
    EXPECT_TRUE(error.ShowsError);
    EXPECT_EQ(error.Status, "STO2 calc. error\n");
    EXPECT_EQ(LiveSto2Text(NaN), "STO2:nan[%] ");
}

TEST(BattPanel, ColoursByThresholdWhileLive) {
    SampleStore store;
    FillRecord(store, 10, 1, TenOClock());
    struct Case {
        float volts;
        QColor colour;
        const char* text;
    };
    const Case cases[] = {{2.5f, TrendColour::Lime, "2.5[V]"},   {2.49f, TrendColour::Yellow, "2.5[V]"},
                          {2.0f, TrendColour::Yellow, "2.0[V]"}, {1.99f, TrendColour::Red, "2.0[V]"},
                          {3.1f, TrendColour::Lime, "3.1[V]"},   {NaN, TrendColour::Red, "nan[V]"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.volts);
        store.CurrentSample.batt = c.volts;
        const BattPanelState panel = UpdateBattPanel(true, store);
        EXPECT_TRUE(panel.Visible);
        EXPECT_EQ(panel.Colour, c.colour);
        EXPECT_EQ(panel.Text, c.text);
    }
    EXPECT_FALSE(UpdateBattPanel(false, store).Visible);
    store.SampleCount = 0;
    EXPECT_FALSE(UpdateBattPanel(true, store).Visible);
}

TEST(MessagePanel, TheFirstMatchingConditionDecides) {
    SampleStore store;
    FillRecord(store, 10, 1, TenOClock());
    EXPECT_EQ(UpdateMessagePanel(true, store, false).Text, "");
    EXPECT_FALSE(UpdateMessagePanel(true, store, false).Colour.has_value());  // colour left as it was

    const MessagePanelState lost = UpdateMessagePanel(true, store, true);
    EXPECT_EQ(lost.Text, "Lost communication with device.");
    EXPECT_EQ(lost.Colour, TrendColour::Yellow);

    store.CurrentSample.ch[0].status = StatusRestartRequestB;
    EXPECT_EQ(UpdateMessagePanel(true, store, true).Text, "Please restart the device.");
    store.CurrentSample.batt = 1.81f;
    EXPECT_EQ(UpdateMessagePanel(true, store, true).Text, "Please restart the device.");
    store.CurrentSample.batt = 1.79f;
    EXPECT_EQ(UpdateMessagePanel(true, store, true).Text, "Battery needs to be replaced.");
    store.CurrentSample.batt = NaN;
    EXPECT_EQ(UpdateMessagePanel(true, store, false).Text, "Battery needs to be replaced.");

    store.RecordFull = true;
    const MessagePanelState full = UpdateMessagePanel(true, store, true);
    EXPECT_EQ(full.Text, "Unable to record anymore.");
    EXPECT_EQ(full.Colour, TrendColour::Red);
    EXPECT_EQ(UpdateMessagePanel(false, store, true).Text, "");  // not live: cleared and hidden
}

}  // namespace
