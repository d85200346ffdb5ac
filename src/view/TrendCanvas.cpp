#include "view/TrendCanvas.h"

#include <QPen>

#include "view/ReadOuts.h"
#include "view/TrendColours.h"

TrendCanvas::TrendCanvas(QPainter& painter, const QFont& font)
    : painter_(painter), font_(font), metrics_(font, painter.device()) {
    painter_.setFont(font_);
    painter_.setBackgroundMode(Qt::TransparentMode);
    painter_.setBrush(Qt::NoBrush);
    painter_.setRenderHint(QPainter::Antialiasing, false);
}

void TrendCanvas::SetPen(const QColor& colour, int width) {
    penWidth_ = width;
    // Lines are drawn one pixel wide; wider traces repeat them (Polyline).
    painter_.setPen(QPen(colour, 1));
}

void TrendCanvas::Polyline(const QPoint* points, int count) {
    if (count < 2) return;
    // A wide pen goes through the stroker, many times slower than the raster
    // engine's one-pixel lines; a trace two pixels wide is the same line again
    // one pixel down and to the right, which thickens it in every direction
    // but the diagonal.
    painter_.drawPolyline(points, count);
    for (int offset = 1; offset < penWidth_; ++offset) {
        painter_.translate(offset, offset);
        painter_.drawPolyline(points, count);
        painter_.translate(-offset, -offset);
    }
}

void TrendCanvas::Line(int x1, int y1, int x2, int y2) { painter_.drawLine(x1, y1, x2, y2); }

void TrendCanvas::SetBold(bool bold) {
    if (font_.bold() == bold) return;
    font_.setBold(bold);
    painter_.setFont(font_);
    metrics_ = QFontMetrics(font_, painter_.device());
}

void TrendCanvas::TextOut(int x, int y, const QString& text) {
    const QPen linePen = painter_.pen();
    painter_.setPen(textColour_);
    painter_.drawText(x, y + metrics_.ascent(), text);
    painter_.setPen(linePen);
}

void DrawGridAndFrames(TrendCanvas& canvas, const TrendLayout& layout) {
    const PaneRect panes[3] = {layout.Channel[0], layout.Channel[1], layout.Acceleration};
    const int heights[3] = {layout.HH, layout.HH, layout.AH};
    for (int k = 0; k <= 4; ++k) {
        canvas.SetPen(k == 0 || k == 4 ? TrendColour::DarkGrey : TrendColour::Silver, 1);
        for (int p = 0; p < 3; ++p) {
            const int y = panes[p].Top + heights[p] * k / 4;
            canvas.Line(panes[p].Left, y, panes[p].Right, y);
        }
    }
    canvas.SetPen(TrendColour::DarkGrey, 1);
    for (const PaneRect& pane : panes) {
        canvas.Line(pane.Left, pane.Top, pane.Left, pane.Bottom);
        canvas.Line(pane.Right, pane.Top, pane.Right, pane.Bottom);
    }
}

namespace {

// A label whose bottom sits on the line at y.
void TextAbove(TrendCanvas& canvas, int x, int y, const QString& text) {
    canvas.TextOut(x, y - canvas.TextHeight() - 1, text);
}

// A label right-aligned at x, its bottom on the line at y.
void RightTextAbove(TrendCanvas& canvas, int x, int y, const QString& text) {
    TextAbove(canvas, x - canvas.TextWidth(text), y, text);
}

}  // namespace

void DrawAxisLabels(TrendCanvas& canvas, const TrendLayout& layout, const HaemoglobinScale& scale,
                    const PaneDecorationOptions& options) {
    const int hh = layout.HH;
    for (const PaneRect& pane : layout.Channel) {
        if (!options.SensorCheck) {
            const DisplayItem& item = DisplayItemAt(options.DataItem);
            canvas.SetTextColour(item.Colour);
            RightTextAbove(canvas, pane.Right, pane.Top, item.AxisName);
            canvas.SetTextColour(TrendColour::Silver);
            RightTextAbove(canvas, pane.Right - 5, pane.Top + hh / 4, ScaleLabelText(0.2 * scale.Scale, scale.Decimals));
            RightTextAbove(canvas, pane.Right - 5, pane.Top + hh / 2, ScaleLabelText(0.1 * scale.Scale, scale.Decimals));
            RightTextAbove(canvas, pane.Right - 5, pane.Bottom - hh / 4, QStringLiteral("0.0"));
            canvas.SetTextColour(TrendColour::Purple);
            TextAbove(canvas, pane.Left, pane.Top, QStringLiteral("STO2[%]"));
            canvas.SetTextColour(TrendColour::Silver);
            TextAbove(canvas, pane.Left + 5, pane.Top + hh / 4, QStringLiteral("75"));
            TextAbove(canvas, pane.Left + 5, pane.Top + hh / 2, QStringLiteral("50"));
            TextAbove(canvas, pane.Left + 5, pane.Bottom - hh / 4, QStringLiteral("25"));
        } else {
            canvas.SetTextColour(TrendColour::Silver);
            TextAbove(canvas, pane.Left + 5, pane.Top + hh / 4, QStringLiteral("3000"));
            TextAbove(canvas, pane.Left + 5, pane.Top + hh / 2, QStringLiteral("2000"));
            TextAbove(canvas, pane.Left + 5, pane.Bottom - hh / 4, QStringLiteral("1000"));
            // The count of 500 below which the light is too weak.
            canvas.SetPen(TrendColour::Red, 1);
            const int y = pane.Bottom - hh * 500 / 4000;
            canvas.Line(pane.Left, y, pane.Right, y);
        }
    }

    const PaneRect& acc = layout.Acceleration;
    canvas.SetTextColour(TrendColour::Silver);
    RightTextAbove(canvas, acc.Right - 5, acc.Top + layout.AH / 4, QStringLiteral("+1[G]"));
    RightTextAbove(canvas, acc.Right - 5, acc.Bottom - layout.AH / 4, QStringLiteral("-1[G]"));
    int x = acc.Left;
    const std::pair<QString, QColor> axes[3] = {{QStringLiteral("[X]"), TrendColour::Red},
                                                {QStringLiteral("[Y]"), TrendColour::Blue},
                                                {QStringLiteral("[Z]"), TrendColour::Green}};
    for (const auto& [text, colour] : axes) {
        canvas.SetTextColour(colour);
        canvas.TextOut(x, acc.Bottom + 1, text);
        x += canvas.TextWidth(text);
    }
}

void DrawChannelTitles(TrendCanvas& canvas, const TrendLayout& layout) {
    canvas.SetBold(true);
    canvas.SetTextColour(TrendColour::Black);
    for (int c = 0; c < 2; ++c) {
        const PaneRect& pane = layout.Channel[c];
        const int w = canvas.TextWidth(ChannelTitles[c]);
        canvas.TextOut((pane.Left + pane.Right) / 2 - w / 2, pane.Top - canvas.TextHeight() - 1, ChannelTitles[c]);
    }
    canvas.SetBold(false);
}

void DrawSensorName(TrendCanvas& canvas, const TrendLayout& layout, const QString& name) {
    if (name.isEmpty()) return;
    const PaneRect& pane = layout.Channel[0];
    canvas.SetBold(true);
    canvas.SetTextColour(TrendColour::Black);
    const int afterAxisName = pane.Left + canvas.TextWidth(QStringLiteral("STO2[%]")) + canvas.TextWidth(QStringLiteral("  "));
    canvas.TextOut(afterAxisName, pane.Top - canvas.TextHeight() - 1, name);
    canvas.SetBold(false);
}

void DrawTimeGridLine(TrendCanvas& canvas, const TrendLayout& layout, int x) {
    canvas.SetPen(TrendColour::Silver, 1);
    canvas.PaneLine(layout.Channel[0], x);
    canvas.PaneLine(layout.Channel[1], x + layout.DX);
    canvas.PaneLine(layout.Acceleration, x);
}

void DrawTimeLabels(TrendCanvas& canvas, const TrendLayout& layout, int x, const QString& elapsed,
                    const QString& clock) {
    const int room = layout.Channel[0].Right - x;
    if (room <= canvas.TextWidth(elapsed)) return;
    canvas.SetTextColour(TrendColour::Silver);
    const int h = canvas.TextHeight();
    canvas.TextOut(x + 1, layout.Channel[0].Bottom - h - 1, elapsed);
    canvas.TextOut(x + layout.DX + 1, layout.Channel[1].Bottom - h - 1, elapsed);
    canvas.TextOut(x + 1, layout.Acceleration.Bottom - h - 1, elapsed);
    if (room <= canvas.TextWidth(clock)) return;
    canvas.TextOut(x + 1, layout.Channel[0].Top + 1, clock);
    canvas.TextOut(x + layout.DX + 1, layout.Channel[1].Top + 1, clock);
    canvas.TextOut(x + 1, layout.Acceleration.Top + 1, clock);
}
