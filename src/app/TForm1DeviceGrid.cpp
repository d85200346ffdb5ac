// The storage page's device grid: drawn from the device table, selectable
// only on sensors, never scrolled.
#include <QScrollBar>

#include "app/DeviceGridDelegate.h"
#include "app/TForm1.h"
#include "storage/DeviceGrid.h"

void TForm1::SetUpDeviceGrid() {
    DrawGrid1->setItemDelegate(new DeviceGridDelegate(
        Session.Devices, [this](const QString& name) { return Session.UploadAllProgressOf(name); }, DrawGrid1));
    DrawGrid1->setAutoScroll(false);
    connect(DrawGrid1, &QTableWidget::currentCellChanged, this,
            [this](int row, int column, int previousRow, int previousColumn) {
                DrawGrid1SelectCell(row, column, previousRow, previousColumn);
            });
    connect(DrawGrid1->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { DrawGrid1TopLeftChanged(); });
}

void TForm1::DrawGrid1SelectCell(int row, int column, int previousRow, int previousColumn) {
    if (row < 0 || DeviceGridRowSelectable(Session.Devices, row)) return;
    const QSignalBlocker quiet(DrawGrid1);
    if (previousRow >= 0 && DeviceGridRowSelectable(Session.Devices, previousRow))
        DrawGrid1->setCurrentCell(previousRow, previousColumn);
    else
        DrawGrid1->setCurrentCell(DrawGrid1->rowCount() - 1, column < 0 ? 0 : column);
    DrawGrid1TopLeftChanged();
}

void TForm1::DrawGrid1TopLeftChanged() {
    if (DrawGrid1->verticalScrollBar()->value() != 0) DrawGrid1->verticalScrollBar()->setValue(0);
}
