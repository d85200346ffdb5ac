#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QString>

#include "view/TrendGeometry.h"

// The few canvas operations the trend uses, on a QPainter: texts placed by
// their top-left corner on a clear background, lines in the current pen.
class TrendCanvas {
public:
    TrendCanvas(QPainter& painter, const QFont& font);

    void SetPen(const QColor& colour, int width);
    void Line(int x1, int y1, int x2, int y2);
    // A polyline in the current pen's colour and width.
    void Polyline(const QPoint* points, int count);
    // A vertical line through a pane, top to bottom.
    void PaneLine(const PaneRect& pane, int x) { Line(x, pane.Top, x, pane.Bottom); }

    void SetBold(bool bold);
    void SetTextColour(const QColor& colour) { textColour_ = colour; }
    void TextOut(int x, int y, const QString& text);
    int TextWidth(const QString& text) const { return metrics_.horizontalAdvance(text); }
    int TextHeight() const { return metrics_.height(); }


private:
    QPainter& painter_;
    QFont font_;
    QFontMetrics metrics_;
    QColor textColour_{Qt::black};
    int penWidth_ = 1;
};

// The parts the scrolling trend and the overview draw alike.
struct PaneDecorationOptions {
    bool SensorCheck = false;
    int AmpItem = 1;
    int DataItem = 2;
};

// Horizontal grid lines, then the panes' left and right edges.
void DrawGridAndFrames(TrendCanvas& canvas, const TrendLayout& layout);
// Axis names and numbers of the three panes.
void DrawAxisLabels(TrendCanvas& canvas, const TrendLayout& layout, const HaemoglobinScale& scale,
                    const PaneDecorationOptions& options);
// "CH1(L)" and "CH2(R)" in bold black, centred over their panes.
void DrawChannelTitles(TrendCanvas& canvas, const TrendLayout& layout);
// The sensor's name in bold black above the first pane, after its axis name:
// the trend shows one of several sensors measured together.
void DrawSensorName(TrendCanvas& canvas, const TrendLayout& layout, const QString& name);
// A silver time grid line through all three panes at x (channel 2 at x + DX).
void DrawTimeGridLine(TrendCanvas& canvas, const TrendLayout& layout, int x);
// Elapsed time at the panes' bottoms and, when that fitted, the clock time
// at their tops; each only where it fits left of the right edge.
void DrawTimeLabels(TrendCanvas& canvas, const TrendLayout& layout, int x, const QString& elapsed,
                    const QString& clock);
