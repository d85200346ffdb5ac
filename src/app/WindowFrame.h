#pragma once

#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QRect>

class QWidget;
class QWindow;

// The main window's frame. Its place, its size and its minimum are meant for
// the whole window, frame included, but Qt sizes the client area, and the
// window manager's frame is known only once the window is on the screen.
// Until then the window is placed and sized as if it had no frame; when it
// first shows in the normal state, the client area gives way to the frame,
// so the outer size stays what was asked for.
class WindowFrame : public QObject {
public:
    explicit WindowFrame(QWidget& window);

    // Maximises the window once it stands framed in its normal place: a
    // window manager keeps the place a window had when it was maximised as
    // the one it returns to, and a window mapped maximised never had it.
    void MaximiseOnceFramed();

    // The frame to store on closing (see PlacementToStore).
    QRect PlacementToStore() const;
    bool Maximised() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Normal() const;
    void TakeTheFrame(const QWindow& handle);

    QWidget& window_;
    QPointer<QWindow> handle_;  // watched for its first exposure
    bool framed_ = false;
    bool maximiseOnceFramed_ = false;
    QMargins normalFrame_;  // the frame of the normal state; none before it is known
};
