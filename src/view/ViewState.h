#pragma once

#include <cstdint>

// How the trend view is looked at: owned by the session for its lifetime,
// read by the painters and changed by the view controls and the mouse
// (TrendInteraction.h).
struct TrendViewState {
    bool LiveReview = false;           // scrolled back during a running measurement
    bool EntireView = false;           // the whole-record overview replaces the trend
    int32_t EntireViewLength = 0;      // SampleCount when the overview was switched on
    int32_t TrendArrangement = 1;      // 1 panes stacked vertically, 0 channels side by side
    int32_t ExpectedScreenSamples = 0; // pane width of the arrangement, for its scroll bar rule
    int32_t ScreenSamples = 0;         // pane width of the last trend paint = samples per screen

    int32_t CursorChannel = -1;  // 0 or 1; -1 no sample cursor
    int32_t CursorIndex = -1;    // sample under the cursor; -1 none

    int32_t HoverX = 0;  // pointer over the paint box with no button held
    int32_t HoverY = 0;

    int32_t DragStartX = 0;
    int32_t DragStartY = 0;
    int32_t DragStartPosition = 0;  // scroll bar position when the drag started
    int32_t DragAxis = -1;          // -1 undecided, 0 horizontal, 1 vertical
    bool DragMoved = false;         // moved more than 5 pixels since the press
    bool DblClickPending = false;   // the release after a double click places no cursor

    // The scroll bar under the trend, which the window mirrors.
    bool ScrollVisible = false;
    int32_t FirstShownSample = 0;  // its position: the first sample of the screen
    int32_t ScrollMaximum = 0;
    int32_t ScrollSingleStep = 1;
    int32_t ScrollPageStep = 1;
};
