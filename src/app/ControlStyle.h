#pragma once

#include <QColor>
#include <QFrame>
#include <QLabel>
#include <QString>
#include <QWidget>

// Colours of the classic window scheme the controls were designed with.
inline const QColor InactiveCaptionColour{191, 205, 219};
inline const QColor WindowColour{Qt::white};
inline const QColor FuchsiaColour{255, 0, 255};
inline const QColor AquaColour{0, 255, 255};
inline const QColor PurpleColour{128, 0, 128};
inline const QColor GreenColour{0, 128, 0};
inline const QColor YellowColour{255, 255, 0};

// Sets one colour role of a widget's palette.
void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour);

// A label that draws its text in the colour.
QLabel* ColouredLabel(const QString& text, const QColor& colour, QWidget* parent = nullptr);

// A sunken panel with a centred caption and a background colour.
QLabel* CaptionPanel(const QString& text, const QColor& background, QWidget* parent = nullptr);
