#pragma once

#include <QWidget>
#include <functional>

class QPainter;

// A window-less drawing surface that hands its paint and pointer events to
// the owner's handlers, in the order the trend's handlers expect: a double
// click arrives as the double-click handler followed by a button press.
// It paints no background of its own, so its parent's colour shows through.
class PaintBox : public QWidget {
public:
    explicit PaintBox(QWidget* parent = nullptr);

    std::function<void(QPainter&)> OnPaint;
    // button (the one that changed; Qt::NoButton for moves), the buttons and
    // modifiers held, and the position in the paint box.
    std::function<void(Qt::MouseButton, Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y)> OnMouseDown;
    std::function<void(Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y)> OnMouseMove;
    std::function<void(Qt::MouseButton, Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y)> OnMouseUp;
    std::function<void()> OnDblClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};
