#pragma once

#include <QPoint>
#include <QVarLengthArray>

#include "data/SampleStore.h"
#include "view/TrendCanvas.h"
#include "view/TrendColours.h"
#include "view/TrendPainter.h"

// A sample that carries values: not a row without data, which stands for
// samples the sensor could not send (a lost packet, a lost link).
inline bool HasData(const MEAS_DATA_TYPE& sample, int channel = 0) {
    return !(sample.ch[channel].status & StatusNoData);
}

// A polyline of one point per column, kept on the stack for usual widths;
// a column skipped (no data) breaks it, so a gap shows as a gap.
class TracePoints {
public:
    explicit TracePoints(int columns) : points_(columns), present_(columns) {}
    void Set(int column, int x, int y) {
        points_[column] = QPoint(x, y);
        present_[column] = true;
    }
    void Skip(int column) { present_[column] = false; }
    void Draw(TrendCanvas& canvas) const {
        const int count = int(points_.size());
        for (int start = 0; start < count;) {
            if (!present_[start]) {
                ++start;
                continue;
            }
            int end = start;
            while (end < count && present_[end]) ++end;
            canvas.Polyline(points_.constData() + start, end - start);
            start = end;
        }
    }
    int size() const { return int(points_.size()); }

private:
    QVarLengthArray<QPoint, 2048> points_;
    QVarLengthArray<bool, 2048> present_;
};

// One trace through a pane: column j at x = pane.Left + j, y = row(j), where
// present(j).
template <typename Row, typename Present>
void DrawTrace(TrendCanvas& canvas, const PaneRect& pane, int columns, Row row, Present present) {
    TracePoints points(columns);
    for (int column = 0; column < columns; ++column) {
        if (present(column)) points.Set(column, pane.Left + column, row(column));
        else points.Skip(column);
    }
    points.Draw(canvas);
}

// The ticked light-count traces of a sensor check, for both channels.
template <typename SampleOf>
void DrawLevelTraces(TrendCanvas& canvas, const TrendPaintInput& input, const TrendLayout& layout, int columns,
                     SampleOf sampleOf) {
    for (int c = 0; c < 2; ++c) {
        const PaneRect& pane = layout.Channel[c];
        for (int d = 0; d < 3; ++d) {
            if (!input.ShowLevel[d]) continue;
            canvas.SetPen(input.LevelColour[d], 2);
            DrawTrace(
                canvas, pane, columns,
                [&](int column) { return LevelRow(input.Store.Samples[sampleOf(column)].ch[c].level[d], pane); },
                [](int) { return true; });
        }
    }
}

// X, Y and Z in red, blue and green; never averaged.
template <typename SampleOf>
void DrawAccelerationTraces(TrendCanvas& canvas, const TrendPaintInput& input, const TrendLayout& layout,
                            int columns, SampleOf sampleOf) {
    const QColor colours[3] = {TrendColour::Red, TrendColour::Blue, TrendColour::Green};
    for (int axis = 0; axis < 3; ++axis) {
        canvas.SetPen(colours[axis], 2);
        DrawTrace(
            canvas, layout.Acceleration, columns,
            [&](int column) {
                return AccelerationRow(input.Store.Samples[sampleOf(column)].acc[axis], layout.Acceleration);
            },
            [&](int column) { return HasData(input.Store.Samples[sampleOf(column)]); });
    }
}

// Text of an event mark: "3>" when event 3 started, "<3" when it ended.
inline QString EventMarkText(int32_t code) {
    return code >= 0 ? QString::asprintf("%1d>", int(code)) : QString::asprintf("<%1d", int(-code));
}

// A mark's text centred under a pane at x.
inline void TextUnder(TrendCanvas& canvas, const PaneRect& pane, int x, const QString& text) {
    canvas.TextOut(x - canvas.TextWidth(text) / 2, pane.Bottom + 1, text);
}
