#include <cstdlib>

#include "app/TForm1.h"
#include "view/TrendGeometry.h"

namespace {

// A drag is decided once the pointer has moved further than this from the press.
constexpr int DragThreshold = 5;

constexpr Qt::KeyboardModifiers ModifierKeys =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

}  // namespace

void TForm1::PaintBox1MouseDown(Qt::MouseButton button, Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y) {
    if (button != Qt::LeftButton) {
        if (View.CursorIndex != -1) {
            View.CursorIndex = -1;
            RepaintTrend();
        }
        return;
    }
    View.DragStartX = x;
    View.DragStartY = y;
    View.DragStartPosition = ScrollBar1->value();
    View.DragAxis = -1;
    View.DragMoved = false;
}

void TForm1::PaintBox1MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y) {
    if (buttons == Qt::NoButton && !(modifiers & ModifierKeys)) {
        View.HoverX = x;  // the live error read-out looks at it in the next paint
        View.HoverY = y;
        return;
    }
    const int dx = x - View.DragStartX;
    const int dy = y - View.DragStartY;
    if (dx == 0 && dy == 0 && View.DragAxis == -1) return;
    if (View.DragAxis == -1 && (std::abs(dx) > DragThreshold || std::abs(dy) > DragThreshold)) {
        View.DragMoved = true;
        View.DragAxis = std::abs(dy) >= std::abs(dx) ? 1 : 0;
    }
    if (!(buttons & Qt::LeftButton) || View.DragAxis != 0) return;  // vertical drags do nothing

    if (!ScrollBar1->isHidden()) {
        // One sample per pixel; dragging right goes towards older samples.
        int position = std::max(View.DragStartPosition - dx, 0);
        if (position > ScrollBar1->maximum()) {
            position = ScrollBar1->maximum();
            if (View.LiveReview) {
                View.DragStartX = x;
                View.DragStartY = y;
                View.DragAxis = -1;
                View.LiveReview = false;
                SetPanel1Highlighted(false);
                ScrollBar1->hide();
                RepaintTrend();
            }
        }
        if (position != ScrollBar1->value()) ScrollBar1->setValue(position);
        return;
    }

    // Following a live record: a drag to the right starts reviewing it.
    if (!Live() || View.LiveReview || View.EntireView || dx <= 0) return;
    if (Store.SampleCount > View.ScreenSamples) {
        View.DragStartX = x;
        View.DragStartY = y;
        View.DragAxis = -1;
        View.LiveReview = true;
        SetPanel1Highlighted(true);
        const int maximum = Store.SampleCount - View.ScreenSamples;
        const int position = dx >= maximum ? 0 : maximum - dx;
        ScrollBar1->setMinimum(0);
        ScrollBar1->setMaximum(maximum);
        ScrollBar1->setValue(position);
        ScrollBar1->setSingleStep(ScrollSmallStep(maximum));
        ScrollBar1->setPageStep(std::max(View.ScreenSamples, 1));
        View.DragStartPosition = position;
        ScrollBar1->show();
    }
    RepaintTrend();
}

void TForm1::PaintBox1MouseUp(Qt::MouseButton button, Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y) {
    // The release right after a double click belongs to it, whatever else holds.
    const bool afterDoubleClick = View.DblClickPending;
    View.DblClickPending = false;
    if (Live() || View.EntireView || button != Qt::LeftButton || View.DragMoved) return;
    if (afterDoubleClick) return;

    View.CursorChannel = -1;
    View.CursorIndex = -1;
    const TrendLayout layout = ComputeTrendLayout(PaintBox1->width(), PaintBox1->height(), View.TrendArrangement);
    const int32_t offset = ScrollBar1->isHidden() ? 0 : ScrollBar1->value();
    const CursorHit hit = SampleUnderPointer(layout, x, y, offset, Store.SampleCount);
    View.CursorChannel = hit.Channel;
    View.CursorIndex = hit.Index;
    ResetButton->setEnabled(CursorMayTakeInitPoint(Store, View.CursorIndex));
    RepaintTrend();
}

void TForm1::PaintBox1DblClick() {
    View.DblClickPending = true;
    if (Store.SampleCount <= View.ScreenSamples) return;  // the record fits on one screen
    View.CursorChannel = -1;
    View.CursorIndex = -1;
    View.EntireView = !View.EntireView;
    if (View.EntireView) {
        View.EntireViewLength = Store.SampleCount;
        ScrollBar1->hide();
        SetPanel1Highlighted(true);
    } else {
        if (!Live() || View.LiveReview) ScrollBar1->show();
        SetPanel1Highlighted(View.LiveReview);
    }
    RepaintTrend();
}
