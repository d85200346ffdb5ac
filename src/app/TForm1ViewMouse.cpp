// The pointer on the trend, handed to the session.
#include "app/TForm1.h"

void TForm1::PaintBox1MouseDown(Qt::MouseButton button, Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y) {
    Session.TrendPressed(button, x, y);
}

void TForm1::PaintBox1MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y) {
    Session.TrendMoved(buttons, modifiers, x, y);
}

void TForm1::PaintBox1MouseUp(Qt::MouseButton button, Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y) {
    Session.TrendReleased(button, x, y, PaintBox1->width(), PaintBox1->height());
}

void TForm1::PaintBox1DblClick() { Session.TrendDoubleClicked(); }
