#pragma once

#include <QList>
#include <QRect>
#include <QSize>

// The main window can never be smaller than this.
inline constexpr QSize MinimumWindowSize{1024, 690};

// No screen or window reaches this far (Qt's largest widget size); a stored
// placement value beyond it is a damaged file.
inline constexpr int MaximumPlacementValue = 16777215;

// Raises a requested window size to the minimum; the resize itself is
// always allowed.
QSize RaiseToMinimum(QSize requested);

// Where a stored placement puts the window: null when the stored values are
// not all greater than 0 and at most MaximumPlacementValue (the window then
// keeps its designed, centred place), or when the title strip of the placed window would lie on no screen (a
// monitor was removed or the file was edited) so the user could not reach it.
QRect StoredPlacement(int top, int left, int width, int height, const QList<QRect>& screens);

// The placement to store on closing: the frame's top left corner (where a
// stored placement moves the window to) and the client size. A maximised,
// minimised or full-screen window stores the normal placement it returns
// to, whose geometry is given for the client area: its corner is moved out
// by the frame's margins, or it would drift by them at every restart.
QRect PlacementToStore(bool normal, QPoint framePosition, QSize clientSize, const QRect& normalGeometry,
                       QPoint frameMargins);

// A window of this size centred on the screen, its top left kept on the
// screen when the window is larger.
QRect CentredPlacement(QSize size, const QRect& screen);
