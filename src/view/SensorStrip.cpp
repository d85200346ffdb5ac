#include "view/SensorStrip.h"

#include <QFontMetrics>

#include "view/TrendColours.h"

namespace {

constexpr int LinesPerEntry = 3;
constexpr int Gap = 6;  // between two entries

int EntryHeight(const QFont& font) { return LinesPerEntry * QFontMetrics(font).height() + Gap; }

QString Sto2Text(const SensorStripEntry& entry) {
    QStringList values;
    for (const std::optional<float>& value : entry.sto2)
        values << (value ? QString::number(*value, 'f', 0) : QStringLiteral("-"));
    return QStringLiteral("STO2 ") + values.join(QStringLiteral(" / ")) + QStringLiteral(" %");
}

QString BatteryAndStateText(const SensorStripEntry& entry) {
    const QString battery =
        entry.batteryVolts ? QString::number(*entry.batteryVolts, 'f', 1) + QStringLiteral(" V") : QStringLiteral("-.- V");
    return entry.state.isEmpty() ? battery : battery + QStringLiteral("  ") + entry.state;
}

}  // namespace

void PaintSensorStrip(QPainter& painter, const QRect& area, const QFont& font, const QList<SensorStripEntry>& entries) {
    const QFontMetrics metrics(font);
    const int line = metrics.height();
    QFont bold = font;
    bold.setBold(true);
    int top = area.top();
    for (const SensorStripEntry& entry : entries) {
        const QRect box(area.left(), top, area.width(), LinesPerEntry * line + Gap / 2);
        if (entry.shown) painter.fillRect(box, QColor(0xDD, 0xE8, 0xF8));
        const QRect text = box.adjusted(4, 1, -2, 0);
        painter.setFont(bold);
        painter.setPen(TrendColour::Black);
        painter.drawText(QRect(text.left(), text.top(), text.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(entry.name, Qt::ElideLeft, text.width()));
        painter.setFont(font);
        painter.setPen(TrendColour::Purple);
        painter.drawText(QRect(text.left(), text.top() + line, text.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
                         Sto2Text(entry));
        painter.setPen(entry.trouble ? TrendColour::Red : TrendColour::Black);
        painter.drawText(QRect(text.left(), text.top() + 2 * line, text.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
                         BatteryAndStateText(entry));
        top += EntryHeight(font);
        if (top >= area.bottom()) break;
    }
}

int SensorStripEntryAt(const QRect& area, const QFont& font, int entryCount, QPoint point) {
    if (!area.contains(point)) return -1;
    const int entry = (point.y() - area.top()) / EntryHeight(font);
    return entry < entryCount ? entry : -1;
}
