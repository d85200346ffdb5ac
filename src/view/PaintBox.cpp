#include "view/PaintBox.h"

#include <QMouseEvent>
#include <QPainter>

PaintBox::PaintBox(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);  // the pointer is followed with no button held too
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void PaintBox::paintEvent(QPaintEvent*) {
    if (!OnPaint) return;
    QPainter painter(this);
    OnPaint(painter);
}

void PaintBox::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (OnMouseDown) OnMouseDown(event->button(), event->buttons(), event->modifiers(), at.x(), at.y());
}

void PaintBox::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (OnMouseMove) OnMouseMove(event->buttons(), event->modifiers(), at.x(), at.y());
}

void PaintBox::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (OnMouseUp) OnMouseUp(event->button(), event->buttons(), event->modifiers(), at.x(), at.y());
}

void PaintBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && OnDblClick) OnDblClick();
    mousePressEvent(event);
}
