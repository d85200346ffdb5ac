// The pointer on the trend: the view's interaction state moves, and where a
// click leaves the sample cursor decides whether Value-Initialization may
// put a point there.
#include "session/AcquisitionSession.h"
#include "view/TrendGeometry.h"
#include "view/TrendInteraction.h"

void AcquisitionSession::TrendPressed(Qt::MouseButton button, int x, int y) {
    FlowInput input(*this, "a press on the trend");
    if (PressOnTrend(View, button, x, y)) view_->RepaintTrend();
}

void AcquisitionSession::TrendMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y) {
    FlowInput input(*this, "a move on the trend");
    if (MoveOnTrend(View, buttons, modifiers, x, y, Live(), Shown().Store.SampleCount)) view_->RenderTrendView();
}

void AcquisitionSession::TrendReleased(Qt::MouseButton button, int x, int y, int trendWidth, int trendHeight) {
    FlowInput input(*this, "a release on the trend");
    if (!ReleaseOnTrend(View, button, x, y, Live(), Shown().Store.SampleCount, trendWidth, trendHeight)) return;
    Controls.ResetEnabled = CursorMayTakeInitPoint(Shown().Store, View.CursorIndex);
    view_->Render();
    view_->RepaintTrend();
}

void AcquisitionSession::TrendDoubleClicked() {
    FlowInput input(*this, "a double click on the trend");
    if (DoubleClickOnTrend(View, Live(), Shown().Store.SampleCount)) view_->RenderTrendView();
}
