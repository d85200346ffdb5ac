#include "app/WindowPlacement.h"

#include <algorithm>

namespace {
// How much of the top edge must be visible to drag the window back.
constexpr int TitleStripHeight = 24;
constexpr int MinimumVisibleWidth = 100;
}  // namespace

QSize RaiseToMinimum(QSize requested) {
    return {std::max(requested.width(), MinimumWindowSize.width()),
            std::max(requested.height(), MinimumWindowSize.height())};
}

QSize MinimumClientSize(const QMargins& frame) {
    return MinimumWindowSize.shrunkBy(frame);
}

QRect StoredPlacement(int top, int left, int width, int height, const QList<QRect>& screens) {
    const auto valid = [](int value) { return value > 0 && value <= MaximumPlacementValue; };
    if (!valid(top) || !valid(left) || !valid(width) || !valid(height)) return {};
    const QRect placed(QPoint(left, top), RaiseToMinimum(QSize(width, height)));
    const QRect titleStrip(placed.topLeft(), QSize(placed.width(), TitleStripHeight));
    for (const QRect& screen : screens) {
        const QRect visible = screen.intersected(titleStrip);
        if (visible.width() >= MinimumVisibleWidth && visible.height() >= TitleStripHeight / 2 &&
            screen.contains(QPoint(screen.left(), placed.top())))
            return placed;
    }
    return {};
}

QRect PlacementToStore(bool normal, const QRect& frame, const QRect& normalClient, const QMargins& normalFrame) {
    return normal ? frame : normalClient.marginsAdded(normalFrame);
}

QRect CentredPlacement(QSize size, const QRect& screen) {
    const int left = std::max(screen.left(), screen.left() + (screen.width() - size.width()) / 2);
    const int top = std::max(screen.top(), screen.top() + (screen.height() - size.height()) / 2);
    return {QPoint(left, top), size};
}
