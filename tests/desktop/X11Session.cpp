#include "desktop/X11Session.h"

#include <QDeadlineTimer>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

namespace {

const QStringList NeededPrograms = {"Xvfb", "openbox", "xdotool", "xwininfo", "xprop"};

int Number(const QString& text, const QString& label) {
    const QRegularExpression pattern(QRegularExpression::escape(label) + QStringLiteral(":\\s*(-?\\d+)"));
    const QRegularExpressionMatch match = pattern.match(text);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

void StopProcess(QProcess& process) {
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

}  // namespace

X11Session::~X11Session() { Stop(); }

void X11Session::Stop() {
    StopProcess(windowManager_);
    StopProcess(server_);
}

QString X11Session::Start(bool withWindowManager) {
    missingTools_ = true;
    for (const QString& program : NeededPrograms)
        if (QStandardPaths::findExecutable(program).isEmpty()) return program + QStringLiteral(" is not installed");
    missingTools_ = false;
    if (!home_.isValid()) return QStringLiteral("no temporary folder");

    // The server picks a free display and prints its number.
    server_.start(QStringLiteral("Xvfb"),
                  {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
                   QStringLiteral("%1x%2x24").arg(ScreenSize.width()).arg(ScreenSize.height()),
                   QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!server_.waitForStarted(10000)) return QStringLiteral("Xvfb did not start");
    QByteArray printed;
    const QDeadlineTimer deadline(20000);
    while (!printed.contains('\n') && !deadline.hasExpired() && server_.state() == QProcess::Running) {
        server_.waitForReadyRead(100);
        printed += server_.readAllStandardOutput();
    }
    bool ok = false;
    const int number = printed.trimmed().toInt(&ok);
    if (!ok) return QStringLiteral("Xvfb gave no display: ") + QString::fromLocal8Bit(server_.readAllStandardError());
    display_ = QStringLiteral(":%1").arg(number);
    if (!withWindowManager) return {};

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display_);
    environment.insert(QStringLiteral("HOME"), home_.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.filePath(QStringLiteral("config")));
    windowManager_.setProcessEnvironment(environment);
    windowManager_.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    if (!windowManager_.waitForStarted(10000)) return QStringLiteral("openbox did not start");
    // Managing the screen, the window manager names itself on the root window.
    while (!Tool(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                .contains(QStringLiteral("window id"))) {
        if (deadline.hasExpired() || windowManager_.state() != QProcess::Running)
            return QStringLiteral("openbox did not take the screen: ") +
                   QString::fromLocal8Bit(windowManager_.readAllStandardError());
        QThread::msleep(50);
    }
    return {};
}

QString X11Session::Tool(const QString& program, const QStringList& arguments) const {
    QProcess tool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display_);
    tool.setProcessEnvironment(environment);
    tool.start(program, arguments);
    if (!tool.waitForFinished(10000) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0) {
        tool.kill();
        tool.waitForFinished(1000);
        return {};
    }
    return QString::fromLocal8Bit(tool.readAllStandardOutput());
}

std::optional<X11Session::Window> X11Session::Find(const QString& title) const {
    const QStringList ids =
        Tool(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                         QStringLiteral("--name"), QLatin1Char('^') + title + QLatin1Char('$')})
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (ids.size() != 1) return std::nullopt;
    Window window;
    window.id = ids[0];
    const QString info = Tool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window.id});
    window.client = QRect(Number(info, QStringLiteral("Absolute upper-left X")),
                          Number(info, QStringLiteral("Absolute upper-left Y")), Number(info, QStringLiteral("Width")),
                          Number(info, QStringLiteral("Height")));
    if (info.isEmpty() || window.client.width() <= 0) return std::nullopt;

    // left, right, top, bottom; a window without a window manager has none.
    const QString properties = Tool(QStringLiteral("xprop"), {QStringLiteral("-id"), window.id,
                                                              QStringLiteral("_NET_FRAME_EXTENTS"),
                                                              QStringLiteral("_NET_WM_STATE")});
    const QRegularExpressionMatch extents =
        QRegularExpression(QStringLiteral("_NET_FRAME_EXTENTS\\(CARDINAL\\) = (\\d+), (\\d+), (\\d+), (\\d+)"))
            .match(properties);
    window.frame = window.client;
    if (extents.hasMatch())
        window.frame = window.client.adjusted(-extents.captured(1).toInt(), -extents.captured(3).toInt(),
                                              extents.captured(2).toInt(), extents.captured(4).toInt());
    window.maximised = properties.contains(QStringLiteral("_NET_WM_STATE_MAXIMIZED_VERT")) &&
                       properties.contains(QStringLiteral("_NET_WM_STATE_MAXIMIZED_HORZ"));
    return window;
}

std::optional<X11Session::Window> X11Session::WaitUntilSettled(const QString& title, int timeoutMilliseconds,
                                                               const Wanted& wanted) const {
    constexpr int StepMilliseconds = 100;
    constexpr int StillSteps = 5;
    const QDeadlineTimer deadline(timeoutMilliseconds);
    std::optional<Window> last;
    int still = 0;
    while (!deadline.hasExpired()) {
        const std::optional<Window> now = Find(title);
        still = now && now == last && (!wanted || wanted(*now)) ? still + 1 : 0;
        if (still == StillSteps) return now;
        last = now;
        QThread::msleep(StepMilliseconds);
    }
    return last;
}
