#pragma once

#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <optional>

// A private X server (Xvfb) and, when asked, Debian's openbox on it. The X
// tools (xdotool, xwininfo, xprop) read what the window manager made of a
// window and act as the user's mouse. The server and the window manager are
// started and stopped by process id, with time-outs.
class X11Session {
public:
    static constexpr QSize ScreenSize{1600, 1000};

    X11Session() = default;
    ~X11Session();
    X11Session(const X11Session&) = delete;
    X11Session& operator=(const X11Session&) = delete;

    // Empty when it runs; otherwise why not.
    QString Start(bool withWindowManager);
    // The last Start failed because a program is not installed.
    bool MissingTools() const { return missingTools_; }
    QString Display() const { return display_; }

    // A top-level window as the window manager shows it: the frame is the
    // whole window with its title bar and borders (the client area when
    // there is no window manager).
    struct Window {
        QString id;
        QRect client;
        QRect frame;
        bool maximised = false;
        bool operator==(const Window&) const = default;
    };
    // The visible window with this exact title, if there is one.
    std::optional<Window> Find(const QString& title) const;
    // Waits until the window shows, is as wanted and keeps its place and
    // size for half a second (the window manager may still move it right
    // after mapping, and a busy program takes its time to answer); gives the
    // last window seen when the time is up.
    using Wanted = std::function<bool(const Window&)>;
    std::optional<Window> WaitUntilSettled(const QString& title, int timeoutMilliseconds,
                                           const Wanted& wanted = {}) const;

    // What an X tool prints; empty when it fails.
    QString Tool(const QString& program, const QStringList& arguments) const;

private:
    void Stop();

    QTemporaryDir home_;  // the window manager reads its configuration from here, not from the user's
    QProcess server_;
    QProcess windowManager_;
    QString display_;
    bool missingTools_ = false;
};
