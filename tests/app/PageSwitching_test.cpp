#include "app/WindowHarness.h"

namespace {

constexpr int RealTimePage = 0;
constexpr int StoragePage = 1;

TEST_F(WindowTest, EnteringStorageModeStartsOneDiscoveryAndTheWatchdog) {
    TForm1& form = Show();
    form.AuxinCheckBox->setChecked(true);
    form.AuxPortEdit->setText("/dev/ttyUSB0");
    form.MsgPanel2->show();

    form.PageControl1->setCurrentIndex(StoragePage);
    EXPECT_EQ(central.discoveries, 1);
    EXPECT_EQ(central.lastTimeout, 5000);
    EXPECT_TRUE(form.Timer2->isActive());
    EXPECT_EQ(form.Timer2->interval(), 6000);
    EXPECT_FALSE(form.MsgPanel2->isVisibleTo(&form));
    EXPECT_EQ(form.DrawGrid1->currentRow(), form.DrawGrid1->rowCount() - 1);
    EXPECT_EQ(form.DrawGrid1->currentColumn(), 0);
    EXPECT_FALSE(form.S1->isEnabled());
    EXPECT_FALSE(form.O1->isEnabled());
    EXPECT_FALSE(form.E1->isEnabled());
    // The external input follows the user to the other page.
    EXPECT_TRUE(form.AuxinCheckBox2->isChecked());
    EXPECT_EQ(form.AuxPortEdit2->text(), "/dev/ttyUSB0");
    EXPECT_TRUE(form.AuxPortEdit2->isEnabled());

    // While the watchdog runs, a discovery is still under way: none is added.
    form.PageControl1->setCurrentIndex(RealTimePage);
    form.PageControl1->setCurrentIndex(StoragePage);
    EXPECT_EQ(central.discoveries, 1);

    // The watchdog cuts that discovery short; its end continues the cycle.
    form.Timer2Timer();
    QCoreApplication::processEvents();
    EXPECT_EQ(central.cancels, 1);
    EXPECT_EQ(central.discoveries, 2);
    EXPECT_TRUE(form.Timer2->isActive());

    // Back on the real-time page the next end starts nothing; entering the
    // storage page again then starts a discovery of its own.
    form.PageControl1->setCurrentIndex(RealTimePage);
    form.Timer2Timer();
    QCoreApplication::processEvents();
    EXPECT_FALSE(form.Timer2->isActive());
    EXPECT_EQ(central.discoveries, 2);
    form.PageControl1->setCurrentIndex(StoragePage);
    EXPECT_EQ(central.discoveries, 3);
}

class ReturningToRealTimeMode : public WindowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ReturningToRealTimeMode, RestoresMenusAndExternalInput) {
    const bool saved = GetParam();
    TForm1& form = Show();
    form.Session.Store.DataSaved = saved;
    form.PageControl1->setCurrentIndex(StoragePage);
    form.AuxinCheckBox2->setChecked(true);
    form.AuxPortEdit2->setText("3");
    form.PageControl1->setCurrentIndex(RealTimePage);
    EXPECT_EQ(form.S1->isEnabled(), !saved);
    EXPECT_TRUE(form.O1->isEnabled());
    EXPECT_TRUE(form.E1->isEnabled());
    EXPECT_TRUE(form.AuxinCheckBox->isChecked());
    EXPECT_EQ(form.AuxPortEdit->text(), "3");
    EXPECT_TRUE(form.AuxPortEdit->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Record, ReturningToRealTimeMode, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Saved" : "Unsaved");
                         });

TEST_F(WindowTest, StorageModeWithoutADiscoveryStaysWithoutScanning) {
    central.refuseDiscovery = true;
    TForm1& form = Show();
    form.PageControl1->setCurrentIndex(StoragePage);
    EXPECT_FALSE(form.Timer2->isActive());
    EXPECT_TRUE(prompts.shown.isEmpty());
}

// A running event log hides the real-time tab; the storage page's handler
// then does nothing, not even a new discovery.
TEST_F(WindowTest, SwitchingDoesNothingWhileATabIsHidden) {
    TForm1& form = Show();
    form.PageControl1->setCurrentIndex(StoragePage);
    form.Timer2Timer();
    form.Session.Controls.RealTimeTabVisible = false;  // as the event log leaves it
    form.O1->setEnabled(true);
    const int discoveries = central.discoveries;
    form.PageControl1Change();
    EXPECT_EQ(central.discoveries, discoveries);
    EXPECT_TRUE(form.O1->isEnabled());
}

}  // namespace
