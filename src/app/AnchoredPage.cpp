#include "app/AnchoredPage.h"

#include <QResizeEvent>

AnchoredPage::AnchoredPage(QSize designedSize, QWidget* parent)
    : QWidget(parent), designedSize_(designedSize) {}

void AnchoredPage::Place(QWidget* child, const QRect& designed, Anchors anchors) {
    child->setParent(this);
    placed_.append({child, designed, anchors});
    child->setGeometry(Follow(placed_.last()));
}

QRect AnchoredPage::Follow(const Placed& placed) const {
    const int grownWidth = width() - designedSize_.width();
    const int grownHeight = height() - designedSize_.height();
    QRect rect = placed.designed;
    if (placed.anchors & Right) {
        if (placed.anchors & Left) rect.setWidth(std::max(0, rect.width() + grownWidth));
        else rect.moveLeft(rect.left() + grownWidth);
    }
    if (placed.anchors & Bottom) {
        if (placed.anchors & Top) rect.setHeight(std::max(0, rect.height() + grownHeight));
        else rect.moveTop(rect.top() + grownHeight);
    }
    return rect;
}

void AnchoredPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    for (const Placed& placed : placed_)
        if (placed.child) placed.child->setGeometry(Follow(placed));
}
