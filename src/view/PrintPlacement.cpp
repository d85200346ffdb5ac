#include "view/PrintPlacement.h"

#include <cmath>

QRect PrintPlacement(QSize page, QSize image) {
    if (image.isEmpty() || page.isEmpty()) return {};
    int a = static_cast<int>(std::floor(0.8 * page.width()));
    int b = static_cast<int>(std::floor(0.8 * page.height()));
    const double sx = double(a) / image.width();
    const double sy = double(b) / image.height();
    if (!(sy <= sx)) b = static_cast<int>(std::floor(image.height() * sx));
    else a = static_cast<int>(std::floor(image.width() * sy));
    return QRect(page.width() / 10, page.height() / 10, a, b);
}
