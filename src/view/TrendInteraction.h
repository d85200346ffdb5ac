#pragma once

#include <QtCore/qnamespace.h>
#include <cstdint>

#include "view/ViewState.h"

struct SampleStore;

// The trend's interaction: scrolling, the drag that reviews a live record,
// the whole-record overview by double click, the sample cursor. Each
// function changes the view state as the pointer or a control asks and
// says whether the trend must be painted again; the window mirrors the
// scroll bar and the panel's highlight from the state.

// The panel behind the trend is highlighted while a live record is reviewed
// or the whole record is shown.
inline bool TrendHighlighted(const TrendViewState& view) { return view.LiveReview || view.EntireView; }

// The trend follows or shows the record again on a white panel.
void LeaveReviewAndOverview(TrendViewState& view);
// A new record begins: no overview length, no sample cursor, no scroll bar.
void ClearViewForNewRecord(TrendViewState& view);
// After a record was stopped, opened or uploaded: the end of a record longer
// than a screen is shown with the scroll bar, a shorter one without it.
void ShowRecordEnd(TrendViewState& view, int32_t sampleCount);
// The scroll bar moved (by the user or by a drag): true when painted anew.
// Scrolling back to where a live review began returns to the newest samples.
bool ScrollTrendTo(TrendViewState& view, int32_t position);

// A press on the trend: the left button may start a drag, another one
// removes the sample cursor.
bool PressOnTrend(TrendViewState& view, Qt::MouseButton button, int32_t x, int32_t y);
// The pointer moved: hovering is remembered for the live error read-out, a
// horizontal drag scrolls, and on a live record a drag to the right starts
// reviewing it.
bool MoveOnTrend(TrendViewState& view, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int32_t x,
                 int32_t y, bool live, int32_t sampleCount);
// A release: on a stopped record, a click without drag places the sample
// cursor on the sample under it (paneWidth and paneHeight: the paint box).
bool ReleaseOnTrend(TrendViewState& view, Qt::MouseButton button, int32_t x, int32_t y, bool live,
                    int32_t sampleCount, int32_t boxWidth, int32_t boxHeight);
// A double click switches the whole-record overview of a record longer than a screen.
bool DoubleClickOnTrend(TrendViewState& view, bool live, int32_t sampleCount);
// The arrangement changed; a stopped record longer than the new screen can
// be scrolled over its whole length, a shorter one goes back to its start.
void ChangeTrendArrangement(TrendViewState& view, int32_t arrangement, int32_t boxWidth, bool stopped,
                            int32_t sampleCount);
