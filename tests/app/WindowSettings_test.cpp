#include <QGuiApplication>
#include <QScreen>

#include "app/WindowPlacement.h"
#include "app/WindowHarness.h"

namespace {

// The designed window, frame included, centred.
QRect CentredOnPrimaryScreen() {
    return CentredPlacement(MinimumWindowSize, QGuiApplication::primaryScreen()->availableGeometry());
}

TEST_F(WindowTest, WithoutASettingsFileTheWindowOpensWithTheDefaults) {
    TForm1& form = Show();
    EXPECT_EQ(form.frameGeometry(), CentredOnPrimaryScreen());
    EXPECT_FALSE(form.isMaximized());
    EXPECT_EQ(form.Session.RateIndex, 1);
    EXPECT_EQ(form.AmpComboBox->currentText(), "x0.5") << "the file's default replaces the designed x1.0";
    EXPECT_EQ(form.DataComboBox->currentText(), "TOHb");
    EXPECT_EQ(form.Session.View.TrendArrangement, 1);
    EXPECT_FALSE(form.AuxinCheckBox->isChecked());
    EXPECT_EQ(form.AuxPortEdit->text(), "1");
    EXPECT_FALSE(form.AuxPortEdit->isEnabled());
    EXPECT_EQ(form.Session.Link.TargetDeviceName, "");
    EXPECT_FALSE(form.MergeCheckBox->isChecked());
    EXPECT_EQ(form.Session.UploadParallel, 3);
}

TEST_F(WindowTest, SettingsSurviveARestartThroughTheFile) {
    {
        TForm1& form = Show();
        form.move(120, 80);  // the frame's corner
        form.resize(QSize(1100, 720) - (form.frameGeometry().size() - form.size()));
        form.Session.RateIndex = 4;
        form.AmpComboBox->setCurrentIndex(3);
        form.AveComboBox->setCurrentIndex(5);
        form.DataComboBox->setCurrentIndex(0);
        form.RateComboBox->setCurrentIndex(2);
        form.AdvDataComboBox->setCurrentIndex(3);
        form.Session.View.TrendArrangement = 0;
        form.AuxinCheckBox->setChecked(true);
        form.AuxPortEdit->setText("/dev/ttyUSB0");
        form.Session.Link.TargetDeviceName = "Tq580-123456-001";
        form.MergeCheckBox->setChecked(true);
        form.Session.UploadParallel = 6;
        form.Session.Exports.SnirfBesideUploads = false;
        form.Session.Exports.BidsTask = "rest";
        ASSERT_TRUE(CloseWindow());
    }
    EXPECT_EQ(SettingsText(),
              "[Form]\r\nTop=80\r\nLeft=120\r\nWidth=1100\r\nHeight=720\r\nMaximized=0\r\n"
              "\r\n"
              "[Settings]\r\nRate=4\r\nAverage=5\r\nAmplifier=3\r\nData=0\r\nRate2=2\r\nData2=3\r\n"
              "Arrangement=0\r\nAuxin=1\r\nPort=/dev/ttyUSB0\r\nDevice=Tq580-123456-001\r\nMerge=1\r\n"
              "UploadParallel=6\r\n"
              "\r\n"
              "[Export]\r\nSnirfBesideUploads=0\r\nSubject=\r\nBidsDataset=\r\nBidsSubject=\r\nBidsSession=\r\n"
              "BidsTask=rest\r\n"
              "\r\n"
              "[Network]\r\nEnabled=0\r\nAddress=127.0.0.1\r\nPort=7580\r\n");

    TForm1& form = Show();
    EXPECT_EQ(form.frameGeometry(), QRect(120, 80, 1100, 720));
    EXPECT_EQ(form.Session.RateIndex, 4);
    EXPECT_EQ(form.AmpComboBox->currentText(), "x4.0");
    EXPECT_EQ(form.AveComboBox->currentText(), "11 points");
    EXPECT_EQ(form.DataComboBox->currentText(), "OXHb");
    EXPECT_EQ(form.RateComboBox->currentText(), "0.5sec");
    EXPECT_EQ(form.AdvDataComboBox->currentText(), "TOHb");
    EXPECT_EQ(form.Session.View.TrendArrangement, 0);
    for (auto [box, edit] : {std::pair{form.AuxinCheckBox, form.AuxPortEdit},
                             std::pair{form.AuxinCheckBox2, form.AuxPortEdit2}}) {
        EXPECT_TRUE(box->isChecked());
        EXPECT_EQ(edit->text(), "/dev/ttyUSB0");
        EXPECT_TRUE(edit->isEnabled());
    }
    EXPECT_EQ(form.Session.Link.TargetDeviceName, "Tq580-123456-001");
    EXPECT_TRUE(form.MergeCheckBox->isChecked());
    EXPECT_EQ(form.Session.UploadParallel, 6);
    EXPECT_FALSE(form.Session.Exports.SnirfBesideUploads);
    EXPECT_EQ(form.Session.Exports.BidsTask, "rest");
}

TEST_F(WindowTest, WrongValuesInTheFileLeaveValidSelections) {
    WriteSettingsText("[Settings]\nAmplifier=9\nData=seven\nRate=0\nAuxin=on\nArrangement=5\n");
    TForm1& form = Show();
    EXPECT_EQ(form.AmpComboBox->currentIndex(), 0);
    EXPECT_EQ(form.DataComboBox->currentIndex(), 2);
    EXPECT_EQ(form.Session.RateIndex, 1);
    EXPECT_FALSE(form.AuxinCheckBox->isChecked());
    EXPECT_EQ(form.Session.View.TrendArrangement, 1);
}

// Placement rows: what the file holds, and where the window's frame ends up.
struct PlacementCase {
    const char* name;
    QByteArray form;
    QRect expected;  // null: centred at the designed size
};

class PlacementFromTheFile : public WindowTest, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(PlacementFromTheFile, IsRaisedToTheMinimumOrIgnored) {
    const PlacementCase& placement = GetParam();
    WriteSettingsText("[Form]\n" + placement.form);
    TForm1& form = Show();
    EXPECT_EQ(form.frameGeometry(), placement.expected.isNull() ? CentredOnPrimaryScreen() : placement.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Form, PlacementFromTheFile,
    ::testing::Values(
        PlacementCase{"APlacementOnTheScreenIsTaken", "Top=60\nLeft=40\nWidth=1100\nHeight=700\n", {40, 60, 1100, 700}},
        PlacementCase{"AWidthOf800Opens1024Wide", "Top=60\nLeft=40\nWidth=800\nHeight=700\n", {40, 60, 1024, 700}},
        PlacementCase{"AHeightOf500Opens690High", "Top=60\nLeft=40\nWidth=1100\nHeight=500\n", {40, 60, 1100, 690}},
        PlacementCase{"ATopOf0IgnoresAllFour", "Top=0\nLeft=40\nWidth=1100\nHeight=700\n", {}},
        PlacementCase{"ANegativeWidthIgnoresAllFour", "Top=60\nLeft=40\nWidth=-5\nHeight=700\n", {}},
        PlacementCase{"AMissingHeightIgnoresAllFour", "Top=60\nLeft=40\nWidth=1100\n", {}},
        PlacementCase{"AWindowBeyondEveryScreenIsCentred", "Top=60\nLeft=20000\nWidth=1100\nHeight=700\n", {}},
        PlacementCase{"AWindowBelowEveryScreenIsCentred", "Top=9000\nLeft=40\nWidth=1100\nHeight=700\n", {}}),
    [](const ::testing::TestParamInfo<PlacementCase>& info) { return std::string(info.param.name); });

// Maximised at closing, the window comes back maximised; the file keeps the
// place it returns to.
TEST_F(WindowTest, AMaximisedWindowIsStoredAndRestoredMaximised) {
    WriteSettingsText("[Form]\nTop=60\nLeft=40\nWidth=1100\nHeight=700\n");
    Show().showMaximized();
    QCoreApplication::processEvents();
    ASSERT_TRUE(CloseWindow());
    ProgramSettings stored = ReadSettingsFile(SettingsPath());
    EXPECT_EQ(QRect(stored.Left, stored.Top, stored.Width, stored.Height), QRect(40, 60, 1100, 700));
    EXPECT_TRUE(stored.Maximized);

    TForm1& form = Show();
    EXPECT_TRUE(form.isMaximized());
    ASSERT_TRUE(CloseWindow());
    stored = ReadSettingsFile(SettingsPath());
    EXPECT_EQ(QRect(stored.Left, stored.Top, stored.Width, stored.Height), QRect(40, 60, 1100, 700));
    EXPECT_TRUE(stored.Maximized);
}

TEST_F(WindowTest, ClosingOnTheStoragePageStoresItsExternalInput) {
    TForm1& form = Show();
    form.PageControl1->setCurrentIndex(1);
    form.AuxinCheckBox2->setChecked(true);
    form.AuxPortEdit2->setText("4");
    ASSERT_TRUE(CloseWindow());
    const ProgramSettings stored = ReadSettingsFile(SettingsPath());
    EXPECT_TRUE(stored.Auxin);
    EXPECT_EQ(stored.Port, "4");
}

// While an event log runs the real-time tab is hidden; the storage page is
// the one in use even if the real-time page is still selected.
TEST_F(WindowTest, AHiddenRealTimeTabIsNotThePageInUse) {
    TForm1& form = Show();
    form.AuxinCheckBox2->setChecked(true);
    form.AuxPortEdit2->setText("6");
    form.Session.Controls.RealTimeTabVisible = false;  // as the event log leaves it
    form.Session.CurrentPage = 0;
    ASSERT_TRUE(CloseWindow());
    const ProgramSettings stored = ReadSettingsFile(SettingsPath());
    EXPECT_TRUE(stored.Auxin);
    EXPECT_EQ(stored.Port, "6");
}

}  // namespace
