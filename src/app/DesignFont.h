#pragma once

#include <QFont>

// The windows were designed in Tahoma; where it is not installed the
// platform's sans-serif stands in at the same pixel size, so the designed
// control sizes still hold the texts.
QFont DesignFont(int pixelSize, bool bold = false);
