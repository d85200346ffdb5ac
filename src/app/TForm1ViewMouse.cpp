// The pointer on the trend, handed to the view's interaction state.
#include "app/TForm1.h"
#include "view/TrendGeometry.h"
#include "view/TrendInteraction.h"

void TForm1::PaintBox1MouseDown(Qt::MouseButton button, Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y) {
    if (PressOnTrend(Session.View, button, x, y)) RepaintTrend();
}

void TForm1::PaintBox1MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y) {
    if (!MoveOnTrend(Session.View, buttons, modifiers, x, y, Session.Live(), Session.Store.SampleCount)) return;
    RenderTrendView();
}

void TForm1::PaintBox1MouseUp(Qt::MouseButton button, Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y) {
    if (!ReleaseOnTrend(Session.View, button, x, y, Session.Live(), Session.Store.SampleCount, PaintBox1->width(),
                        PaintBox1->height()))
        return;
    Session.Controls.ResetEnabled = CursorMayTakeInitPoint(Session.Store, Session.View.CursorIndex);
    Render();
    RepaintTrend();
}

void TForm1::PaintBox1DblClick() {
    if (DoubleClickOnTrend(Session.View, Session.Live(), Session.Store.SampleCount)) RenderTrendView();
}
