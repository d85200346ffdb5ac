#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>

#include "view/TrendPainter.h"

// Paints the trend (or the overview) of a record into a white image of the
// given size, as the paint box would over its white panel.
struct PaintProbe {
    QImage image;
    TrendPaintOutcome outcome;

    PaintProbe(const SampleStore& store, const TrendViewState& view, QSize size,
               const std::function<void(TrendPaintInput&)>& adjust = {}) {
        image = QImage(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        QFont font(QStringLiteral("sans-serif"));
        font.setPixelSize(13);
        TrendPaintInput input{.Store = store, .View = view, .Size = size, .Font = font};
        if (adjust) adjust(input);
        QPainter painter(&image);
        outcome = PaintTrend(painter, input);
    }

    QColor At(int x, int y) const { return image.pixelColor(x, y); }

    // The colour appears within `radius` pixels of (x, y); wide lines may
    // fall on either side of their ideal pixel.
    bool Near(int x, int y, const QColor& colour, int radius = 1) const {
        for (int dy = -radius; dy <= radius; ++dy)
            for (int dx = -radius; dx <= radius; ++dx)
                if (image.valid(x + dx, y + dy) && image.pixelColor(x + dx, y + dy) == colour) return true;
        return false;
    }

    // Pixels of the colour in column x between two rows, inclusive.
    int CountInColumn(int x, int top, int bottom, const QColor& colour) const {
        int count = 0;
        for (int y = top; y <= bottom; ++y) count += image.pixelColor(x, y) == colour;
        return count;
    }

    // Pixels of the colour anywhere in a rectangle.
    int CountIn(const QRect& area, const QColor& colour) const {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) count += image.pixelColor(x, y) == colour;
        return count;
    }
};
