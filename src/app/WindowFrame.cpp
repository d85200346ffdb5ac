#include "app/WindowFrame.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

#include "app/WindowPlacement.h"

WindowFrame::WindowFrame(QWidget& window) : QObject(&window), window_(window) {
    window_.setMinimumSize(MinimumClientSize(normalFrame_));
    window_.installEventFilter(this);
}

void WindowFrame::MaximiseOnceFramed() {
    if (framed_)
        window_.setWindowState(window_.windowState() | Qt::WindowMaximized);
    else
        maximiseOnceFramed_ = true;
}

bool WindowFrame::eventFilter(QObject* watched, QEvent* event) {
    // The platform window exists from the first show on.
    if (watched == &window_ && event->type() == QEvent::Show && !handle_ && window_.windowHandle()) {
        handle_ = window_.windowHandle();
        handle_->installEventFilter(this);
    }
    // The window manager frames a window before it maps it, so the first
    // exposure comes with the frame in place. Only then, and only in the
    // normal state: the moves and resizes around a change of state are
    // reported one by one, some with the new frame and the old size.
    if (watched == handle_ && !framed_ && event->type() == QEvent::Expose && handle_->isExposed() && Normal())
        TakeTheFrame(*handle_);
    return false;
}

bool WindowFrame::Normal() const {
    return !(window_.windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
}

void WindowFrame::TakeTheFrame(const QWindow& handle) {
    framed_ = true;
    normalFrame_ = handle.frameMargins();
    // The minimum first, or the smaller client size would be raised back.
    window_.setMinimumSize(MinimumClientSize(normalFrame_));
    window_.resize(handle.geometry().size().shrunkBy(normalFrame_));
    if (maximiseOnceFramed_) {
        maximiseOnceFramed_ = false;
        // Asked after the resize, so the window manager has taken the
        // normal size when it maximises.
        window_.setWindowState(window_.windowState() | Qt::WindowMaximized);
    }
}

QRect WindowFrame::PlacementToStore() const {
    return ::PlacementToStore(Normal(), window_.frameGeometry(), window_.normalGeometry(), normalFrame_);
}

bool WindowFrame::Maximised() const {
    return maximiseOnceFramed_ || (window_.windowState() & Qt::WindowMaximized);
}
