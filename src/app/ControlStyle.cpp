#include "app/ControlStyle.h"

void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

QLabel* ColouredLabel(const QString& text, const QColor& colour, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    SetColour(label, QPalette::WindowText, colour);
    return label;
}

QLabel* CaptionPanel(const QString& text, const QColor& background, QWidget* parent) {
    auto* panel = new QLabel(text, parent);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(Qt::AlignCenter);
    panel->setAutoFillBackground(true);
    SetColour(panel, QPalette::Window, background);
    return panel;
}
