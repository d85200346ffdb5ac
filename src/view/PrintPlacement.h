#pragma once

#include <QRect>
#include <QSize>

// Where a picture of the window goes on a printed page: its top-left corner a
// tenth of the page in from the top-left, scaled without distortion to fill
// 80 % of the page in its limiting direction. Empty for an empty picture.
QRect PrintPlacement(QSize page, QSize image);
