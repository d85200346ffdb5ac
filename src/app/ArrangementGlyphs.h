#pragma once

#include <QPixmap>

// 20 x 20 pictures of the two trend arrangements on the speed buttons:
// the channels' trends stacked one above the other, or side by side.
QPixmap VerticalArrangementGlyph();
QPixmap HorizontalArrangementGlyph();
