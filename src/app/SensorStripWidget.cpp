#include "app/SensorStripWidget.h"

#include <QMouseEvent>
#include <QPainter>

void SensorStripWidget::SetEntries(QList<SensorStripEntry> entries) {
    entries_ = std::move(entries);
    update();
}

void SensorStripWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintSensorStrip(painter, rect(), font(), entries_);
}

void SensorStripWidget::mousePressEvent(QMouseEvent* event) {
    const int entry = SensorStripEntryAt(rect(), font(), static_cast<int>(entries_.size()), event->position().toPoint());
    if (entry >= 0 && onClicked) onClicked(entry);
}
