#include "app/DeviceGridDelegate.h"

#include <QPainter>


void DeviceGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    const int entry = index.row() - 1;
    const UploadAllProgress progress =
        entry >= 0 && entry < DeviceTableSize && !table_[entry].id.isEmpty() ? progressOf_(table_[entry].id) : UploadAllProgress{};
    const DeviceGridCell cell = DeviceGridCellAt(table_, index.column(), index.row(), progress);
    if (cell.text.isEmpty() && !cell.filled) return;

    painter->save();
    if (cell.filled) painter->fillRect(option.rect, QColor::fromRgb(cell.fill));
    QFont font = option.font;
    font.setPointSize(cell.pointSize);
    font.setBold(cell.bold);
    painter->setFont(font);
    painter->setPen(QColor::fromRgb(cell.textColour));
    painter->drawText(option.rect, Qt::AlignCenter, cell.text);
    painter->restore();
}
