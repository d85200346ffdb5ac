#pragma once

#include <QList>
#include <QMargins>
#include <QRect>
#include <QSize>

// The main window, frame included, can never be smaller than this.
inline constexpr QSize MinimumWindowSize{1024, 690};

// No screen or window reaches this far (Qt's largest widget size); a stored
// placement value beyond it is a damaged file.
inline constexpr int MaximumPlacementValue = 16777215;

// Raises a requested outer window size to the minimum; the resize itself is
// always allowed.
QSize RaiseToMinimum(QSize requested);

// The smallest client area: the outer minimum less the window manager's frame.
QSize MinimumClientSize(const QMargins& frame);

// Where a stored placement puts the window's frame: null when the stored
// values are not all greater than 0 and at most MaximumPlacementValue (the
// window then keeps its designed, centred place), or when the title strip of
// the placed window would lie on no screen (a monitor was removed or the file
// was edited) so the user could not reach it.
QRect StoredPlacement(int top, int left, int width, int height, const QList<QRect>& screens);

// The placement to store on closing: the frame, the same thing a stored
// placement restores. A maximised, minimised or full-screen window stores
// the frame it returns to: its normal client area with the frame it had in
// the normal state.
QRect PlacementToStore(bool normal, const QRect& frame, const QRect& normalClient, const QMargins& normalFrame);

// A window of this size centred on the screen, its top left kept on the
// screen when the window is larger.
QRect CentredPlacement(QSize size, const QRect& screen);
