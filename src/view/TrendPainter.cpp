#include "view/TrendPainter.h"

#include "data/SampleStore.h"
#include "view/MovingAverage.h"
#include "view/ReadOutPainter.h"
#include "view/TimeTexts.h"
#include "view/TrendTraces.h"

namespace {

// The time grid of the scrolling trend; labelled unless a live record is followed.
void DrawTrendTimeGrid(TrendCanvas& canvas, const TrendLayout& layout, const SampleStore& store, int32_t first,
                       bool labelled) {
    const int32_t step = TrendGridStep(store.RecordRateIndex);
    for (int32_t g = FirstGridColumn(first, step); layout.Channel[0].Left + g < layout.Channel[0].Right; g += step) {
        const int x = layout.Channel[0].Left + g;
        DrawTimeGridLine(canvas, layout, x);
        if (!labelled) continue;
        const int64_t elapsed = ElapsedSecondsAt(first + g, store.RecordRateIndex);
        DrawTimeLabels(canvas, layout, x, ElapsedText(elapsed), ClockTextAfter(store.RecordStartTime, elapsed));
    }
}

// STO2 in purple and the display item in its colour, both through the
// moving average: STO2 centred on the sample unless a live record is
// followed, the display item always over the samples up to it.
void DrawMeasurementTraces(TrendCanvas& canvas, const TrendPaintInput& input, const TrendLayout& layout,
                           const HaemoglobinScale& scale, int32_t first, int columns, bool following) {
    const SampleStore& store = input.Store;
    const int32_t k = std::clamp(input.AveItem, 0, 5);
    const int32_t n = 2 * k + 1;
    const DisplayItem& item = DisplayItemAt(input.DataItem);
    for (int c = 0; c < 2; ++c) {
        const PaneRect& pane = layout.Channel[c];
        TracePoints points(columns);
        const auto present = [&](int32_t i) { return HasData(store.Samples[i], c); };
        // A column whose own sample has no data is a gap in the trace.
        const auto place = [&](int column, int32_t row) {
            if (present(first + column)) points.Set(column, pane.Left + column, row);
            else points.Skip(column);
        };
        auto sto2 = [&](int32_t i) { return double(store.Samples[i].ch[c].sto2); };
        canvas.SetPen(TrendColour::Purple, 2);
        SlidingMeans(
            first, columns, following ? n - 1 : k, following ? 0 : k, store.SampleCount, sto2,
            [&](int column, double mean) { place(column, Sto2Row(mean, pane)); }, present);
        points.Draw(canvas);

        auto itemValue = [&](int32_t i) { return DisplayItemValue(store.Samples[i].ch[c], input.DataItem); };
        canvas.SetPen(item.Colour, 2);
        SlidingMeans(
            first, columns, n - 1, 0, store.SampleCount, itemValue,
            [&](int column, double mean) { place(column, ItemRow(mean, pane, scale)); }, present);
        points.Draw(canvas);
    }
}

void DrawEventMarks(TrendCanvas& canvas, const TrendLayout& layout, const SampleStore& store, int32_t first,
                    bool horizontal) {
    canvas.SetPen(TrendColour::Teal, 1);
    canvas.SetTextColour(TrendColour::Teal);
    const PaneRect& ch1 = layout.Channel[0];
    for (const EVENT_MARK_TYPE& mark : store.EventMarks) {
        if (mark.sample < 0) break;
        const int32_t d = mark.sample - first;
        if (d < 0) continue;
        if (d > layout.PW - 1) break;
        const QString text = EventMarkText(mark.code);
        const int x = ch1.Left + d;
        canvas.PaneLine(ch1, x);
        if (horizontal) TextUnder(canvas, ch1, x, text);
        canvas.PaneLine(layout.Acceleration, x);
        canvas.PaneLine(layout.Channel[1], x + layout.DX);
        TextUnder(canvas, layout.Channel[1], x + layout.DX, text);
    }
}

// One flag on channel 1 marks a value-initialization point of both channels.
void DrawInitPointMarks(TrendCanvas& canvas, const TrendLayout& layout, const SampleStore& store, int32_t first,
                        int columns, bool horizontal) {
    canvas.SetPen(TrendColour::Maroon, 1);
    canvas.SetTextColour(TrendColour::Maroon);
    const QString mark = QStringLiteral("R");
    for (int i = 0; i < columns; ++i) {
        if (!(store.Samples[first + i].ch[0].status & StatusInitPoint)) continue;
        const int x1 = layout.Channel[0].Left + i;
        canvas.PaneLine(layout.Channel[0], x1);
        if (horizontal) TextUnder(canvas, layout.Channel[0], x1, mark);
        const int x2 = layout.Channel[1].Left + i;
        canvas.PaneLine(layout.Channel[1], x2);
        TextUnder(canvas, layout.Channel[1], x2, mark);
    }
}

}  // namespace

TrendPaintOutcome PaintTrend(QPainter& painter, const TrendPaintInput& input) {
    const SampleStore& store = input.Store;
    if (store.UploadActive) return {};
    if (input.View.EntireView) return EntireDisplay(painter, input);

    TrendPaintOutcome outcome;
    outcome.Drawn = true;
    const TrendLayout layout = ComputeTrendLayout(input.Size.width(), input.Size.height(), input.View.TrendArrangement);
    const HaemoglobinScale scale = ComputeHaemoglobinScale(input.AmpItem, layout.HH);
    const bool following = input.Live && !input.View.LiveReview;
    const int32_t first = FirstShownSample(following, store.SampleCount, layout.PW, input.ScrollBarVisible,
                                           input.ScrollBarPosition);
    outcome.ScreenSamples = layout.PW;
    const bool checkMode = store.CheckSensorsMode;
    const bool horizontal = input.View.TrendArrangement == HorizontalArrangement;

    TrendCanvas canvas(painter, input.Font);
    DrawGridAndFrames(canvas, layout);
    DrawAxisLabels(canvas, layout, scale, {checkMode, input.AmpItem, input.DataItem});
    if (store.SampleCount > 0) DrawTrendTimeGrid(canvas, layout, store, first, !following);
    if (!input.Live || store.SampleCount == 0 || checkMode) DrawChannelTitles(canvas, layout);
    DrawSensorName(canvas, layout, input.SensorName);
    if (store.SampleCount == 0) {
        outcome.TimeLabel = EmptyTimeLabel;
        return outcome;
    }
    outcome.TimeLabel = TimeLabelText(store);

    const int columns = ShownColumns(first, store.SampleCount, layout.PW);
    auto sampleOf = [first](int column) { return first + column; };
    if (checkMode) DrawLevelTraces(canvas, input, layout, columns, sampleOf);
    else DrawMeasurementTraces(canvas, input, layout, scale, first, columns, following);
    DrawAccelerationTraces(canvas, input, layout, columns, sampleOf);

    if (checkMode) {
        outcome.GroupBox3 = BoxChange::Hide;
    } else {
        DrawEventMarks(canvas, layout, store, first, horizontal);
        if (input.Live) DrawLiveReadOuts(canvas, input, layout, outcome);
        else DrawSampleCursor(canvas, input, layout, first, outcome);
        DrawInitPointMarks(canvas, layout, store, first, columns, horizontal);
    }
    outcome.MessagePanel = UpdateMessagePanel(input.Live, store, input.LinkLost);
    outcome.BattPanel = UpdateBattPanel(input.Live, store);
    return outcome;
}
