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
        if (Session.View.CursorIndex != -1) {
            Session.View.CursorIndex = -1;
            RepaintTrend();
        }
        return;
    }
    Session.View.DragStartX = x;
    Session.View.DragStartY = y;
    Session.View.DragStartPosition = ScrollBar1->value();
    Session.View.DragAxis = -1;
    Session.View.DragMoved = false;
}

void TForm1::PaintBox1MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y) {
    if (buttons == Qt::NoButton && !(modifiers & ModifierKeys)) {
        Session.View.HoverX = x;  // the live error read-out looks at it in the next paint
        Session.View.HoverY = y;
        return;
    }
    const int dx = x - Session.View.DragStartX;
    const int dy = y - Session.View.DragStartY;
    if (dx == 0 && dy == 0 && Session.View.DragAxis == -1) return;
    if (Session.View.DragAxis == -1 && (std::abs(dx) > DragThreshold || std::abs(dy) > DragThreshold)) {
        Session.View.DragMoved = true;
        Session.View.DragAxis = std::abs(dy) >= std::abs(dx) ? 1 : 0;
    }
    if (!(buttons & Qt::LeftButton) || Session.View.DragAxis != 0) return;  // vertical drags do nothing

    if (!ScrollBar1->isHidden()) {
        // One sample per pixel; dragging right goes towards older samples.
        int position = std::max(Session.View.DragStartPosition - dx, 0);
        if (position > ScrollBar1->maximum()) {
            position = ScrollBar1->maximum();
            if (Session.View.LiveReview) {
                Session.View.DragStartX = x;
                Session.View.DragStartY = y;
                Session.View.DragAxis = -1;
                Session.View.LiveReview = false;
                SetPanel1Highlighted(false);
                ScrollBar1->hide();
                RepaintTrend();
            }
        }
        if (position != ScrollBar1->value()) ScrollBar1->setValue(position);
        return;
    }

    // Following a live record: a drag to the right starts reviewing it.
    if (!Session.Live() || Session.View.LiveReview || Session.View.EntireView || dx <= 0) return;
    if (Session.Store.SampleCount > Session.View.ScreenSamples) {
        Session.View.DragStartX = x;
        Session.View.DragStartY = y;
        Session.View.DragAxis = -1;
        Session.View.LiveReview = true;
        SetPanel1Highlighted(true);
        const int maximum = Session.Store.SampleCount - Session.View.ScreenSamples;
        const int position = dx >= maximum ? 0 : maximum - dx;
        ScrollBar1->setMinimum(0);
        ScrollBar1->setMaximum(maximum);
        ScrollBar1->setValue(position);
        ScrollBar1->setSingleStep(ScrollSmallStep(maximum));
        ScrollBar1->setPageStep(std::max(Session.View.ScreenSamples, 1));
        Session.View.DragStartPosition = position;
        ScrollBar1->show();
    }
    RepaintTrend();
}

void TForm1::PaintBox1MouseUp(Qt::MouseButton button, Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y) {
    // The release right after a double click belongs to it, whatever else holds.
    const bool afterDoubleClick = Session.View.DblClickPending;
    Session.View.DblClickPending = false;
    if (Session.Live() || Session.View.EntireView || button != Qt::LeftButton || Session.View.DragMoved) return;
    if (afterDoubleClick) return;

    Session.View.CursorChannel = -1;
    Session.View.CursorIndex = -1;
    const TrendLayout layout = ComputeTrendLayout(PaintBox1->width(), PaintBox1->height(), Session.View.TrendArrangement);
    const int32_t offset = ScrollBar1->isHidden() ? 0 : ScrollBar1->value();
    const CursorHit hit = SampleUnderPointer(layout, x, y, offset, Session.Store.SampleCount);
    Session.View.CursorChannel = hit.Channel;
    Session.View.CursorIndex = hit.Index;
    Session.Controls.ResetEnabled = CursorMayTakeInitPoint(Session.Store, Session.View.CursorIndex);
    Render();
    RepaintTrend();
}

void TForm1::PaintBox1DblClick() {
    Session.View.DblClickPending = true;
    if (Session.Store.SampleCount <= Session.View.ScreenSamples) return;  // the record fits on one screen
    Session.View.CursorChannel = -1;
    Session.View.CursorIndex = -1;
    Session.View.EntireView = !Session.View.EntireView;
    if (Session.View.EntireView) {
        Session.View.EntireViewLength = Session.Store.SampleCount;
        ScrollBar1->hide();
        SetPanel1Highlighted(true);
    } else {
        if (!Session.Live() || Session.View.LiveReview) ScrollBar1->show();
        SetPanel1Highlighted(Session.View.LiveReview);
    }
    RepaintTrend();
}
