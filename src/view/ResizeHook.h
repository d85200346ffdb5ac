#pragma once

#include <QEvent>
#include <QObject>
#include <functional>

// Calls back after every resize of the widget it is attached to (and dies with it).
class ResizeHook : public QObject {
public:
    ResizeHook(QObject* watched, std::function<void()> onResize) : QObject(watched), onResize_(std::move(onResize)) {
        watched->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == parent() && event->type() == QEvent::Resize) onResize_();
        return false;
    }

private:
    std::function<void()> onResize_;
};
