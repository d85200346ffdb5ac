#pragma once

#include <QStyledItemDelegate>

#include "storage/DeviceTable.h"

// Draws the storage page's grid cells from the device table: the grid has
// already drawn its background, lines and the selected row.
class DeviceGridDelegate : public QStyledItemDelegate {
public:
    DeviceGridDelegate(const DeviceTable& table, QObject* parent) : QStyledItemDelegate(parent), table_(table) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    const DeviceTable& table_;
};
