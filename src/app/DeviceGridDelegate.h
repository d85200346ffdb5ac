#pragma once

#include <QStyledItemDelegate>
#include <functional>

#include "storage/DeviceGrid.h"

// Draws the storage page's grid cells from the device table, and where each
// sensor stands in Upload all: the grid has already drawn its background,
// lines and the selected row.
class DeviceGridDelegate : public QStyledItemDelegate {
public:
    using ProgressOf = std::function<UploadAllProgress(const QString& name)>;

    DeviceGridDelegate(const DeviceTable& table, ProgressOf progressOf, QObject* parent)
        : QStyledItemDelegate(parent), table_(table), progressOf_(std::move(progressOf)) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    const DeviceTable& table_;
    ProgressOf progressOf_;
};
