#include <QDir>
#include <QFileInfo>

#include "app/WindowHarness.h"

namespace {

// The minimum is for the whole window, frame included (the offscreen
// platform draws a frame of 2 pixels around the client area).
TEST_F(WindowTest, ResizeBelowTheMinimumEndsAtTheMinimum) {
    TForm1& form = Show();
    const QSize frame = form.frameGeometry().size() - form.size();
    ASSERT_FALSE(frame.isNull()) << "a frame shows the difference";
    form.resize(800, 600);
    EXPECT_EQ(form.frameGeometry().size(), QSize(1024, 690));
    // A client area of 1000 wide would make the whole window narrower than
    // 1024; the height asked for is kept.
    form.resize(1000, 900);
    EXPECT_EQ(form.frameGeometry().size(), QSize(1024, 900 + frame.height()));
}

// The trend panel follows every edge of the window, the read-outs keep their
// distance from the bottom right corner, and the storage page stays as designed.
TEST_F(WindowTest, TheTrendPanelGrowsAndTheStoragePageDoesNot) {
    TForm1& form = Show();
    form.resize(1024, 690);
    QCoreApplication::processEvents();
    const QRect panel = form.Panel1->geometry();
    const QRect battery = form.BattPanel->geometry();
    const QRect connect = form.ConnectButton->geometry();
    const QRect grid = form.DrawGrid1->geometry();
    const QRect upload = form.UploadButton->geometry();

    form.resize(1324, 890);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.Panel1->geometry(), panel.adjusted(0, 0, 300, 200));
    EXPECT_EQ(form.BattPanel->geometry(), battery.translated(300, 200));
    EXPECT_EQ(form.ConnectButton->geometry(), connect);
    EXPECT_EQ(form.DrawGrid1->geometry(), grid);
    EXPECT_EQ(form.UploadButton->geometry(), upload);
}

TEST_F(WindowTest, CreationPreparesFilesFolderAndState) {
    TForm1& form = Show();
    EXPECT_EQ(form.windowTitle(), "Tq580");
    EXPECT_EQ(form.SettingsFileName, folder.filePath("tq580.ini"));
    EXPECT_EQ(form.Session.EventLogFileName, folder.filePath("tq580.evl"));
    EXPECT_EQ(form.Session.DataFolder, QDir(WorkingDirectory()).filePath("Data"));
    EXPECT_TRUE(QFileInfo(form.Session.DataFolder).isDir());
    EXPECT_TRUE(form.Session.Store.DataSaved);
    EXPECT_EQ(form.Session.Store.SampleCount, 0);
    EXPECT_EQ(EventMarkCount(form.Session.Store), 0);
    EXPECT_EQ(form.PageControl1->currentIndex(), 0);
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_EQ(form.Timer1->interval(), 500);
    EXPECT_FALSE(form.Timer2->isActive());
    // The menus' initial states.
    EXPECT_TRUE(form.O1->isEnabled());
    EXPECT_FALSE(form.S1->isEnabled());
    EXPECT_FALSE(form.E1->isEnabled());
    EXPECT_FALSE(form.C1->isEnabled());
    // Controls that other handlers show when they are needed start hidden or off.
    EXPECT_FALSE(form.ResetButton->isEnabled());
    EXPECT_FALSE(form.AuxPortEdit->isEnabled());
    EXPECT_FALSE(form.AuxPortEdit2->isEnabled());
    EXPECT_FALSE(form.GroupBox3->isVisibleTo(&form));
    EXPECT_FALSE(form.ScrollBar1->isVisibleTo(&form));
    EXPECT_FALSE(form.UploadPanel->isVisibleTo(&form));
    EXPECT_FALSE(form.MsgPanel->isVisibleTo(&form));
    EXPECT_FALSE(form.OffButton->isVisibleTo(&form));
    EXPECT_EQ(form.DrawGrid1->rowCount(), 23);
    EXPECT_EQ(form.DrawGrid1->columnCount(), 6);
    EXPECT_EQ(form.DrawGrid1->currentRow(), 22);
}

TEST_F(WindowTest, TickingExternalInputEnablesItsPortOnEachPage) {
    TForm1& form = Show();
    for (auto [box, edit] : {std::pair{form.AuxinCheckBox, form.AuxPortEdit},
                             std::pair{form.AuxinCheckBox2, form.AuxPortEdit2}}) {
        box->click();
        EXPECT_TRUE(edit->isEnabled());
        EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(Qt::white));
        box->click();
        EXPECT_FALSE(edit->isEnabled());
        EXPECT_NE(edit->palette().color(QPalette::Base), QColor(Qt::white));
    }
}

}  // namespace
