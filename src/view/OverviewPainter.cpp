#include <algorithm>

#include "data/SampleStore.h"
#include "view/TimeTexts.h"
#include "view/TrendPainter.h"
#include "view/TrendTraces.h"

namespace {

// Grid lines at whole multiples of a step from 1 s to 24 h, labelled in every state.
void DrawOverviewTimeGrid(TrendCanvas& canvas, const TrendLayout& layout, const TrendPaintInput& input,
                          int32_t length) {
    const uint32_t tmax = OverviewTimeSpan(length, layout.PW, input.Store.RecordRateIndex);
    if (tmax == 0) return;  // a span below a second has no grid line to draw
    const uint32_t step = CalcTimeGrid(tmax, input.View.ScreenSamples);
    const int left = layout.Channel[0].Left;
    for (int64_t k = 1;; ++k) {
        const int x = OverviewGridColumn(k, step, tmax, layout.PW) + left;
        if (x >= layout.Channel[0].Right) break;
        DrawTimeGridLine(canvas, layout, x);
        const int64_t seconds = k * step;
        DrawTimeLabels(canvas, layout, x, ElapsedText(seconds), ClockTextAfter(input.Store.RecordStartTime, seconds));
    }
}

// Marks go on the column of their sample; the channel-2 text is always
// written, the channel-1 text only where the channels stand side by side.
void DrawOverviewMarks(TrendCanvas& canvas, const TrendLayout& layout, const SampleStore& store, int32_t length,
                       bool horizontal) {
    const PaneRect& ch1 = layout.Channel[0];
    const PaneRect& ch2 = layout.Channel[1];
    canvas.SetPen(TrendColour::Teal, 1);
    canvas.SetTextColour(TrendColour::Teal);
    for (const EVENT_MARK_TYPE& mark : store.EventMarks) {
        if (mark.sample < 0 || mark.sample >= length) break;
        const int x = OverviewColumn(mark.sample, length, layout.PW) + ch1.Left;
        const QString text = EventMarkText(mark.code);
        canvas.PaneLine(ch1, x);
        canvas.PaneLine(layout.Acceleration, x);
        canvas.PaneLine(ch2, x + layout.DX);
        TextUnder(canvas, ch2, x + layout.DX, text);
        if (horizontal) TextUnder(canvas, ch1, x, text);
    }

    canvas.SetPen(TrendColour::Maroon, 1);
    canvas.SetTextColour(TrendColour::Maroon);
    const QString initMark = QStringLiteral("R");
    for (int32_t i = 0; i < length; ++i) {
        if (!(store.Samples[i].ch[0].status & StatusInitPoint)) continue;
        const int x = OverviewColumn(i, length, layout.PW) + ch1.Left;
        canvas.PaneLine(ch1, x);
        canvas.PaneLine(ch2, x + layout.DX);
        TextUnder(canvas, ch2, x + layout.DX, initMark);
        if (horizontal) TextUnder(canvas, ch1, x, initMark);
    }
}

}  // namespace

TrendPaintOutcome EntireDisplay(QPainter& painter, const TrendPaintInput& input) {
    const SampleStore& store = input.Store;
    TrendPaintOutcome outcome;
    outcome.Drawn = true;
    const TrendLayout layout = ComputeTrendLayout(input.Size.width(), input.Size.height(), input.View.TrendArrangement);
    const HaemoglobinScale scale = ComputeHaemoglobinScale(input.AmpItem, layout.HH);
    const bool checkMode = store.CheckSensorsMode;
    // The length frozen when the overview was switched on; never past the
    // record, which a new measurement may have shortened since.
    const int32_t length = std::clamp(input.View.EntireViewLength, 0, store.SampleCount);

    TrendCanvas canvas(painter, input.Font);
    DrawGridAndFrames(canvas, layout);
    DrawAxisLabels(canvas, layout, scale, {checkMode, input.AmpItem, input.DataItem});
    DrawOverviewTimeGrid(canvas, layout, input, length);
    DrawChannelTitles(canvas, layout);
    if (store.SampleCount == 0) {
        outcome.TimeLabel = EmptyTimeLabel;
        return outcome;
    }
    outcome.TimeLabel = TimeLabelText(store);

    int columns = 0;
    while (columns < layout.PW && OverviewSample(columns, length, layout.PW) < length) ++columns;
    auto sampleOf = [&](int column) { return OverviewSample(column, length, layout.PW); };
    if (checkMode) {
        DrawLevelTraces(canvas, input, layout, columns, sampleOf);
    } else {
        const DisplayItem& item = DisplayItemAt(input.DataItem);
        for (int c = 0; c < 2; ++c) {
            const PaneRect& pane = layout.Channel[c];
            canvas.SetPen(TrendColour::Purple, 2);
            const auto present = [&](int column) { return HasData(store.Samples[sampleOf(column)], c); };
            DrawTrace(
                canvas, pane, columns,
                [&](int column) { return Sto2Row(store.Samples[sampleOf(column)].ch[c].sto2, pane); }, present);
            canvas.SetPen(item.Colour, 2);
            DrawTrace(
                canvas, pane, columns,
                [&](int column) {
                    return ItemRow(DisplayItemValue(store.Samples[sampleOf(column)].ch[c], input.DataItem), pane,
                                   scale);
                },
                present);
        }
    }
    DrawAccelerationTraces(canvas, input, layout, columns, sampleOf);
    if (!checkMode)
        DrawOverviewMarks(canvas, layout, store, length, input.View.TrendArrangement == HorizontalArrangement);

    outcome.MessagePanel = UpdateMessagePanel(input.Live, store, input.LinkLost);
    outcome.BattPanel = UpdateBattPanel(input.Live, store);
    return outcome;
}
