#include "app/DesignFont.h"

#include <QFontDatabase>
#include <QStringList>

QFont DesignFont(int pixelSize, bool bold) {
    static const bool tahomaInstalled = QFontDatabase::families().contains(QStringLiteral("Tahoma"));
    QFont font = tahomaInstalled ? QFont(QStringLiteral("Tahoma"))
                                 : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    if (!tahomaInstalled) font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}
