#include <QDir>

#include "session/StringTable.h"
#include "app/WindowHarness.h"

namespace {

const QString RefusedWhileMeasuring = "NOTICE: " + MsgDisconnectToTerminate;
const QString AskExit = "ASK: " + MsgExitWithoutSaving;
const QString Reminder = "NOTICE: " + MsgTurnOffDevice;

class ClosingWhileMeasuring : public WindowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ClosingWhileMeasuring, IsRefusedWhateverIsSaved) {
    const bool saved = GetParam();
    TForm1& form = Show();
    form.Session.SetActivityForTest(SessionMode::Measuring);
    form.Session.Store.DataSaved = saved;
    EXPECT_FALSE(CloseWindow());
    EXPECT_EQ(prompts.shown, QStringList{RefusedWhileMeasuring});
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.Session.Store.DataSaved, saved);
    EXPECT_FALSE(QFile::exists(SettingsPath())) << "settings are written only on close";
}

INSTANTIATE_TEST_SUITE_P(Record, ClosingWhileMeasuring, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Saved" : "Unsaved");
                         });

TEST_F(WindowTest, ClosingWithUnsavedDataAsksAndNoKeepsTheWindow) {
    TForm1& form = Show();
    form.Session.Store.DataSaved = false;
    prompts.answers = {false};
    EXPECT_FALSE(CloseWindow());
    EXPECT_EQ(prompts.shown, QStringList{AskExit});
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.Session.Store.DataSaved);
    EXPECT_FALSE(QFile::exists(SettingsPath()));
}

TEST_F(WindowTest, ClosingWithUnsavedDataAndYesRemindsAndCloses) {
    TForm1& form = Show();
    form.Session.Store.DataSaved = false;
    prompts.answers = {true};
    EXPECT_TRUE(CloseWindow());
    EXPECT_EQ(prompts.shown, (QStringList{AskExit, Reminder}));
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(form.Session.Store.DataSaved);
    EXPECT_TRUE(QFile::exists(SettingsPath()));
}

TEST_F(WindowTest, ClosingWithNothingUnsavedStillReminds) {
    TForm1& form = Show();
    EXPECT_TRUE(CloseWindow());
    EXPECT_EQ(prompts.shown, QStringList{Reminder});
    EXPECT_FALSE(form.isVisible());
}

TEST_F(WindowTest, ExitMenuRunsTheSameConfirmations) {
    TForm1& form = Show();
    form.Session.Store.DataSaved = false;
    prompts.answers = {false};
    prompts.shown.clear();
    form.X1->trigger();
    EXPECT_EQ(prompts.shown, QStringList{AskExit});
    EXPECT_TRUE(form.isVisible());
}

// The settings file cannot be replaced (here a folder holds its name): the
// window still closes, and the user hears once, with the system's reason,
// that the choices are not kept.
TEST_F(WindowTest, ASettingsFileThatCannotBeWrittenIsToldOnceWithTheReason) {
    ASSERT_TRUE(QDir().mkpath(SettingsPath()));
    TForm1& form = Show();
    EXPECT_TRUE(CloseWindow());
    ASSERT_EQ(prompts.shown.size(), 2) << prompts.shown.join('|').toStdString();
    EXPECT_EQ(prompts.shown[0], Reminder);
    const QString reasonMark = QStringLiteral("@reason@");
    const QStringList around = ("ERROR: " + MsgSettingsNotWritten.arg(SettingsPath(), reasonMark)).split(reasonMark);
    ASSERT_EQ(around.size(), 2);
    const QString& told = prompts.shown[1];
    EXPECT_TRUE(told.startsWith(around[0]) && told.endsWith(around[1])) << told.toStdString();
    EXPECT_GT(told.size(), around[0].size() + around[1].size()) << "the reason is given";
    EXPECT_FALSE(form.isVisible());
}

// Without usable Bluetooth the program says why and ends without asking
// anything, and without replacing the stored settings by defaults.
TEST_F(WindowTest, UnusableBluetoothReportsAndClosesWithoutTouchingTheSettings) {
    const QByteArray stored = "[Form]\r\nTop=50\r\n[Settings]\r\nData=1\r\n";
    WriteSettingsText(stored);
    central.unusableReason = QStringLiteral("No Bluetooth LE adapter is available.");
    TForm1& form = Show();
    QCoreApplication::processEvents();
    EXPECT_EQ(prompts.shown, QStringList{"ERROR: No Bluetooth LE adapter is available."});
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(SettingsText(), stored);
}

}  // namespace
