#include <gtest/gtest.h>

#include <QRect>
#include <optional>
#include <ostream>
#include <string>

#include "desktop/ProgramOnDisplay.h"
#include "desktop/X11Session.h"

// Rectangles in failure messages as x,y widthxheight.
void PrintTo(const QRect& rect, std::ostream* out) {
    *out << rect.x() << ',' << rect.y() << ' ' << rect.width() << 'x' << rect.height();
}

namespace {

const QString Title = QStringLiteral("Tq580");
constexpr int StartMilliseconds = 60000;  // a sanitizer build on a busy machine starts slowly

QRect StoredFrame(const QMap<QString, int>& form) {
    return {form.value("Left", -1), form.value("Top", -1), form.value("Width", -1), form.value("Height", -1)};
}

std::string Describe(const std::optional<X11Session::Window>& window) {
    if (!window) return "no window";
    const QRect& f = window->frame;
    return QStringLiteral("frame %1,%2 %3x%4%5")
        .arg(f.x()).arg(f.y()).arg(f.width()).arg(f.height())
        .arg(window->maximised ? QStringLiteral(" maximised") : QString())
        .toStdString();
}

class DesktopTest : public ::testing::Test {
protected:
    X11Session session;
    ProgramOnDisplay program;

    void StartSession(bool withWindowManager) {
        const QString problem = session.Start(withWindowManager);
        if (!problem.isEmpty() && session.MissingTools()) GTEST_SKIP() << problem.toStdString();
        ASSERT_TRUE(problem.isEmpty()) << problem.toStdString();
    }

    // The window as it stands once it is as wanted, or as it was last seen.
    std::optional<X11Session::Window> StartProgram(const X11Session::Wanted& wanted) {
        const QString problem = program.Start(session);
        EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
        if (!problem.isEmpty()) return std::nullopt;
        return Settled(wanted);
    }

    std::optional<X11Session::Window> Settled(const X11Session::Wanted& wanted) {
        const std::optional<X11Session::Window> window = session.WaitUntilSettled(Title, StartMilliseconds, wanted);
        EXPECT_TRUE(window) << "the window did not show: " << program.Output().toStdString();
        return window;
    }

    void CloseProgram() { EXPECT_TRUE(program.Close()) << program.Output().toStdString(); }

    // A double click on the title bar, as openbox maximises and restores.
    void DoubleClickTitle(const X11Session::Window& window) {
        const QPoint title((window.frame.left() + window.frame.right()) / 2,
                           (window.frame.top() + window.client.top()) / 2);
        session.Tool(QStringLiteral("xdotool"),
                     {QStringLiteral("mousemove"), QString::number(title.x()), QString::number(title.y()),
                      QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
                      QStringLiteral("--delay"), QStringLiteral("60"), QStringLiteral("1")});
    }
};

// What the settings file holds at the first start, and where the window's
// frame must be then: it stays there at every restart.
struct RestartCase {
    const char* name;
    QByteArray settings;  // empty: no file
    QRect frame;
};

const QSize Screen = X11Session::ScreenSize;
const RestartCase RestartCases[] = {
    // The designed outer size, which is the minimum, centred on the screen.
    {"NoSettingsFile", {}, {QPoint((Screen.width() - 1024) / 2, (Screen.height() - 690) / 2), QSize(1024, 690)}},
    {"StoredPlacement", "[Form]\r\nTop=150\r\nLeft=200\r\nWidth=1100\r\nHeight=720\r\n", {200, 150, 1100, 720}},
    // The minimum is for the whole window, frame included.
    {"StoredSizeBelowTheMinimum", "[Form]\r\nTop=150\r\nLeft=200\r\nWidth=800\r\nHeight=600\r\n", {200, 150, 1024, 690}},
};

X11Session::Wanted NormalAt(const QRect& frame) {
    return [frame](const X11Session::Window& window) { return !window.maximised && window.frame == frame; };
}

bool Maximised(const X11Session::Window& window) { return window.maximised; }

class Restarts : public DesktopTest, public ::testing::WithParamInterface<std::tuple<bool, RestartCase>> {};

TEST_P(Restarts, PutTheWindowExactlyWhereItWas) {
    const auto& [withWindowManager, start] = GetParam();
    StartSession(withWindowManager);
    if (!start.settings.isEmpty()) {
        ASSERT_TRUE(program.WriteSettings(start.settings));
    }
    for (int run = 1; run <= 3; ++run) {
        SCOPED_TRACE(::testing::Message() << "start " << run);
        const std::optional<X11Session::Window> window = StartProgram(NormalAt(start.frame));
        ASSERT_TRUE(window);
        EXPECT_EQ(window->frame, start.frame) << Describe(window);
        EXPECT_FALSE(window->maximised);
        CloseProgram();
        EXPECT_EQ(StoredFrame(program.StoredForm()), start.frame) << "the file holds the frame";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Desktop, Restarts, ::testing::Combine(::testing::Bool(), ::testing::ValuesIn(RestartCases)),
    [](const ::testing::TestParamInfo<std::tuple<bool, RestartCase>>& info) {
        return std::string(std::get<0>(info.param) ? "Openbox_" : "NoWindowManager_") + std::get<1>(info.param).name;
    });

// Maximised at closing, the window comes back maximised, and un-maximised
// it returns to the place and size it had before.
TEST_F(DesktopTest, AMaximisedWindowComesBackMaximisedAndReturnsToItsPlace) {
    StartSession(true);
    const QRect placed(200, 150, 1100, 720);
    ASSERT_TRUE(program.WriteSettings("[Form]\r\nTop=150\r\nLeft=200\r\nWidth=1100\r\nHeight=720\r\n"));
    std::optional<X11Session::Window> window = StartProgram(NormalAt(placed));
    ASSERT_TRUE(window);
    ASSERT_EQ(window->frame, placed) << Describe(window);
    DoubleClickTitle(*window);
    window = Settled(Maximised);
    ASSERT_TRUE(window && window->maximised) << Describe(window);
    CloseProgram();
    QMap<QString, int> form = program.StoredForm();
    EXPECT_EQ(StoredFrame(form), placed);
    EXPECT_EQ(form.value("Maximized"), 1);

    for (int run = 2; run <= 3; ++run) {
        SCOPED_TRACE(::testing::Message() << "start " << run);
        window = StartProgram(Maximised);
        ASSERT_TRUE(window);
        EXPECT_TRUE(window->maximised) << Describe(window);
        CloseProgram();
        EXPECT_EQ(StoredFrame(program.StoredForm()), placed);
    }

    window = StartProgram(Maximised);
    ASSERT_TRUE(window && window->maximised) << Describe(window);
    DoubleClickTitle(*window);
    window = Settled(NormalAt(placed));
    ASSERT_TRUE(window);
    EXPECT_FALSE(window->maximised);
    EXPECT_EQ(window->frame, placed) << Describe(window);
    CloseProgram();
    form = program.StoredForm();
    EXPECT_EQ(StoredFrame(form), placed);
    EXPECT_EQ(form.value("Maximized", -1), 0);
}

// The window manager keeps the whole window at 1024 x 690 or more when the
// client asks for less, and no larger than that either.
TEST_F(DesktopTest, TheWholeWindowShrinksToTheMinimumAndNoFurther) {
    StartSession(true);
    ASSERT_TRUE(program.WriteSettings("[Form]\r\nTop=150\r\nLeft=200\r\nWidth=1100\r\nHeight=720\r\n"));
    std::optional<X11Session::Window> window = StartProgram(NormalAt({200, 150, 1100, 720}));
    ASSERT_TRUE(window);
    session.Tool(QStringLiteral("xdotool"),
                 {QStringLiteral("windowsize"), window->id, QStringLiteral("500"), QStringLiteral("400")});
    window = Settled(NormalAt({200, 150, 1024, 690}));
    ASSERT_TRUE(window);
    EXPECT_EQ(window->frame, QRect(200, 150, 1024, 690)) << Describe(window);
    CloseProgram();
}

}  // namespace
