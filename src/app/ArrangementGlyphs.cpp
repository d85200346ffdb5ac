#include "app/ArrangementGlyphs.h"

#include <QPainter>
#include <QPolygon>

namespace {

// One small trend box with a wavy line in it.
void DrawTrendBox(QPainter& painter, const QRect& box, const QColor& line) {
    painter.setPen(QColor(64, 64, 64));
    painter.setBrush(Qt::white);
    painter.drawRect(box);
    QPolygon wave;
    const int middle = box.center().y();
    for (int x = box.left() + 1; x < box.right(); ++x) {
        const int step = (x - box.left()) % 4;
        wave << QPoint(x, middle + (step < 2 ? -1 : 1));
    }
    painter.setPen(line);
    painter.drawPolyline(wave);
}

QPixmap Blank() {
    QPixmap glyph(20, 20);
    glyph.fill(Qt::transparent);
    return glyph;
}

}  // namespace

QPixmap VerticalArrangementGlyph() {
    QPixmap glyph = Blank();
    QPainter painter(&glyph);
    DrawTrendBox(painter, QRect(1, 1, 17, 5), Qt::red);
    DrawTrendBox(painter, QRect(1, 7, 17, 5), Qt::blue);
    DrawTrendBox(painter, QRect(1, 13, 17, 5), QColor(0, 128, 0));
    return glyph;
}

QPixmap HorizontalArrangementGlyph() {
    QPixmap glyph = Blank();
    QPainter painter(&glyph);
    DrawTrendBox(painter, QRect(1, 1, 8, 8), Qt::red);
    DrawTrendBox(painter, QRect(10, 1, 8, 8), Qt::blue);
    DrawTrendBox(painter, QRect(1, 11, 17, 7), QColor(0, 128, 0));
    return glyph;
}
