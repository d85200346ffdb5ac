#pragma once

#include <QList>
#include <QWidget>
#include <functional>

#include "view/SensorStrip.h"

// The strip beside the trend that lists the sensors measured together; a
// click on one shows its record.
class SensorStripWidget : public QWidget {
public:
    explicit SensorStripWidget(QWidget* parent = nullptr) : QWidget(parent) {}

    void SetEntries(QList<SensorStripEntry> entries);
    const QList<SensorStripEntry>& Entries() const { return entries_; }
    std::function<void(int entry)> onClicked;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QList<SensorStripEntry> entries_;
};
