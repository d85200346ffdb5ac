#include "view/TrendInteraction.h"

#include <algorithm>
#include <cstdlib>

#include "view/TrendGeometry.h"

namespace {

// A drag is decided once the pointer has moved further than this from the press.
constexpr int DragThreshold = 5;

constexpr Qt::KeyboardModifiers ModifierKeys =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

void RemoveCursor(TrendViewState& view) {
    view.CursorChannel = -1;
    view.CursorIndex = -1;
}

// What a scroll of the shown bar does.
void Scrolled(TrendViewState& view) {
    if (view.LiveReview && view.FirstShownSample == view.ScrollMaximum) {
        view.LiveReview = false;
        view.ScrollVisible = false;
    }
    RemoveCursor(view);
}

// As the scroll bar itself behaves: a position is kept within the range,
// and a change of a shown bar is a scroll.
void SetPosition(TrendViewState& view, int32_t position) {
    position = std::clamp(position, 0, std::max(view.ScrollMaximum, 0));
    if (position == view.FirstShownSample) return;
    view.FirstShownSample = position;
    if (view.ScrollVisible) Scrolled(view);
}

void SetMaximum(TrendViewState& view, int32_t maximum) {
    view.ScrollMaximum = maximum;
    if (view.FirstShownSample > maximum) SetPosition(view, maximum);
}

void RestartDrag(TrendViewState& view, int32_t x, int32_t y) {
    view.DragStartX = x;
    view.DragStartY = y;
    view.DragAxis = -1;
}

}  // namespace

void LeaveReviewAndOverview(TrendViewState& view) {
    view.LiveReview = false;
    view.EntireView = false;
}

void ClearViewForNewRecord(TrendViewState& view) {
    view.EntireViewLength = 0;
    RemoveCursor(view);
    view.ScrollVisible = false;
}

void ShowRecordEnd(TrendViewState& view, int32_t sampleCount) {
    // Before the first paint (a record opened as the window comes up), the
    // pane width of the arrangement stands in for the painted one.
    if (view.ScreenSamples == 0) view.ScreenSamples = view.ExpectedScreenSamples;
    const ScrollRange range = ScrollRangeRule(sampleCount, view.ScreenSamples);
    if (!range.Visible) {
        view.ScrollVisible = false;
        return;
    }
    SetMaximum(view, range.Maximum);
    SetPosition(view, range.Maximum);
    view.ScrollSingleStep = range.SingleStep;
    view.ScrollPageStep = std::max(view.ScreenSamples, 1);
    view.ScrollVisible = true;
}

bool ScrollTrendTo(TrendViewState& view, int32_t position) {
    position = std::clamp(position, 0, std::max(view.ScrollMaximum, 0));
    if (position == view.FirstShownSample) return false;
    view.FirstShownSample = position;
    if (!view.ScrollVisible) return false;
    Scrolled(view);
    return true;
}

bool PressOnTrend(TrendViewState& view, Qt::MouseButton button, int32_t x, int32_t y) {
    if (button != Qt::LeftButton) {
        if (view.CursorIndex == -1) return false;
        view.CursorIndex = -1;
        return true;
    }
    view.DragStartX = x;
    view.DragStartY = y;
    view.DragStartPosition = view.FirstShownSample;
    view.DragAxis = -1;
    view.DragMoved = false;
    return false;
}

bool MoveOnTrend(TrendViewState& view, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int32_t x,
                 int32_t y, bool live, int32_t sampleCount) {
    if (buttons == Qt::NoButton && !(modifiers & ModifierKeys)) {
        view.HoverX = x;  // the live error read-out looks at it in the next paint
        view.HoverY = y;
        return false;
    }
    const int dx = x - view.DragStartX;
    const int dy = y - view.DragStartY;
    if (dx == 0 && dy == 0 && view.DragAxis == -1) return false;
    if (view.DragAxis == -1 && (std::abs(dx) > DragThreshold || std::abs(dy) > DragThreshold)) {
        view.DragMoved = true;
        view.DragAxis = std::abs(dy) >= std::abs(dx) ? 1 : 0;
    }
    if (!(buttons & Qt::LeftButton) || view.DragAxis != 0) return false;  // vertical drags do nothing

    if (view.ScrollVisible) {
        // One sample per pixel; dragging right goes towards older samples.
        int position = std::max(view.DragStartPosition - dx, 0);
        bool repaint = false;
        if (position > view.ScrollMaximum) {
            position = view.ScrollMaximum;
            if (view.LiveReview) {
                // Dragged past the newest samples: follow the record again.
                RestartDrag(view, x, y);
                view.LiveReview = false;
                view.ScrollVisible = false;
                repaint = true;
            }
        }
        const bool wasVisible = view.ScrollVisible;
        const int before = view.FirstShownSample;
        SetPosition(view, position);
        return repaint || (wasVisible && view.FirstShownSample != before);
    }

    // Following a live record: a drag to the right starts reviewing it.
    if (!live || view.LiveReview || view.EntireView || dx <= 0) return false;
    if (sampleCount > view.ScreenSamples) {
        RestartDrag(view, x, y);
        view.LiveReview = true;
        const int maximum = sampleCount - view.ScreenSamples;
        const int position = dx >= maximum ? 0 : maximum - dx;
        SetMaximum(view, maximum);
        SetPosition(view, position);  // the bar is not shown yet: no scroll
        view.ScrollSingleStep = ScrollSmallStep(maximum);
        view.ScrollPageStep = std::max(view.ScreenSamples, 1);
        view.DragStartPosition = position;
        view.ScrollVisible = true;
    }
    return true;
}

bool ReleaseOnTrend(TrendViewState& view, Qt::MouseButton button, int32_t x, int32_t y, bool live,
                    int32_t sampleCount, int32_t boxWidth, int32_t boxHeight) {
    // The release right after a double click belongs to it, whatever else holds.
    const bool afterDoubleClick = view.DblClickPending;
    view.DblClickPending = false;
    if (live || view.EntireView || button != Qt::LeftButton || view.DragMoved) return false;
    if (afterDoubleClick) return false;

    const TrendLayout layout = ComputeTrendLayout(boxWidth, boxHeight, view.TrendArrangement);
    const int32_t offset = view.ScrollVisible ? view.FirstShownSample : 0;
    const CursorHit hit = SampleUnderPointer(layout, x, y, offset, sampleCount);
    view.CursorChannel = hit.Channel;
    view.CursorIndex = hit.Index;
    return true;
}

bool DoubleClickOnTrend(TrendViewState& view, bool live, int32_t sampleCount) {
    view.DblClickPending = true;
    if (sampleCount <= view.ScreenSamples) return false;  // the record fits on one screen
    RemoveCursor(view);
    view.EntireView = !view.EntireView;
    if (view.EntireView) {
        view.EntireViewLength = sampleCount;
        view.ScrollVisible = false;
    } else if (!live || view.LiveReview) {
        view.ScrollVisible = true;
    }
    return true;
}

void ChangeTrendArrangement(TrendViewState& view, int32_t arrangement, int32_t boxWidth, bool stopped,
                            int32_t sampleCount) {
    view.TrendArrangement = arrangement;
    view.ExpectedScreenSamples = PaneWidthFor(boxWidth, arrangement);
    if (!stopped) return;
    if (sampleCount > view.ExpectedScreenSamples) {
        SetMaximum(view, sampleCount - 1);
        if (!view.ScrollVisible) {
            SetPosition(view, 0);
            view.ScrollVisible = true;
        }
    } else {
        SetPosition(view, 0);
        view.ScrollVisible = false;
    }
}
