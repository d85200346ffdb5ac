#pragma once

#include <QApplication>
#include <QMouseEvent>

#include "app/WindowHarness.h"
#include "view/RecordFixture.h"
#include "view/TrendGeometry.h"

// The main window with a record in memory and the mouse on its trend.
class TrendViewTest : public WindowTest {
protected:
    TForm1* form = nullptr;
    int paints = 0;  // paints of the trend since the counter was last cleared

    void SetUp() override {
        form = &Show();
        paintCounter_.paints = &paints;
        form->PaintBox1->installEventFilter(&paintCounter_);
    }

    // Lets pending repaints happen, as the event loop would.
    void Settle() {
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    }

    // A record that was stopped (or uploaded) and is shown as at its end.
    void ShowStoppedRecord(int32_t count, bool uploaded = false) {
        FillRecord(form->Session.Store, count, 1, TenOClock());
        form->Session.Store.InitPointsEditable = uploaded;
        form->SetScrollRangeForRecord();
        Settle();
    }

    PaneRect Channel(int c) const {
        return ComputeTrendLayout(form->PaintBox1->width(), form->PaintBox1->height(), form->Session.View.TrendArrangement)
            .Channel[c];
    }

    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QMouseEvent event(type, QPointF(at), form->PaintBox1->mapToGlobal(QPointF(at)), button, buttons, modifiers);
        QApplication::sendEvent(form->PaintBox1, &event);
    }
    void Press(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        Mouse(QEvent::MouseButtonPress, at, button, button);
    }
    void MoveHeld(QPoint at) { Mouse(QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton); }
    void Hover(QPoint at) { Mouse(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton); }
    void Release(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        Mouse(QEvent::MouseButtonRelease, at, button, Qt::NoButton);
    }
    void Click(QPoint at) {
        Press(at);
        Release(at);
    }
    // Press, release, double click, release: what a double click delivers.
    void DoubleClick(QPoint at) {
        Click(at);
        Mouse(QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
        Release(at);
    }

    bool ScrollBarShown() const { return !form->ScrollBar1->isHidden(); }
    QColor Panel1Colour() const { return form->Panel1->palette().color(QPalette::Window); }
    QColor InfoBackground() const { return QApplication::palette().color(QPalette::ToolTipBase); }

private:
    struct PaintCounter : QObject {
        int* paints = nullptr;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) ++*paints;
            return false;
        }
    } paintCounter_;
};
