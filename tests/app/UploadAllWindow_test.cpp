// Upload all through the window: its button turns into Cancel, the page's
// other commands wait, and the grid's Status cells show each sensor's
// stage. What the flow decides is tested on the session (tests/session).
#include "app/SimulatedWindow.h"

#include <QDir>

#include "session/StringTable.h"
#include "support/StorageSensorSetups.h"

namespace {

class UploadAllWindow : public SimulatedWindowTest {
protected:
    int RowOf(const QString& name) {
        for (int i = 0; i < DeviceTableSize; ++i)
            if (window->Session.Devices[i].id == name) return i + 1;
        return -1;
    }
    // The colour in a corner of the row's Status cell, clear of its text.
    QColor StatusFill(const QString& name) {
        const QRect cell = window->DrawGrid1->visualRect(window->DrawGrid1->model()->index(RowOf(name), 1));
        return window->DrawGrid1->viewport()->grab().toImage().pixelColor(cell.topLeft() + QPoint(3, 3));
    }
};

}  // namespace

TEST_F(UploadAllWindow, TheButtonCancelsWhileItRunsAndTheGridShowsEachSensor) {
    TForm1& form = Start({StorageSensor(Waiting, 600), StorageSensor(WaitingEmpty, 0), StorageSensor(Running, 50, true)});
    form.PageControl1->setCurrentIndex(1);
    Advance(5500);
    EXPECT_EQ(form.UploadAllButton->text(), "Upload all");
    ASSERT_TRUE(form.UploadAllButton->isEnabled());
    EXPECT_EQ(StatusFill(Waiting), QColor(Qt::white));

    form.UploadAllButton->click();
    ASSERT_TRUE(AdvanceUntil([&] { return form.Session.UploadAllProgressOf(Waiting).percent >= 10; }, 15000));
    EXPECT_EQ(form.UploadAllButton->text(), "Cancel");
    EXPECT_TRUE(form.UploadAllButton->isEnabled());
    EXPECT_FALSE(form.UploadButton->isEnabled());
    EXPECT_FALSE(form.StartButton->isEnabled());
    EXPECT_FALSE(form.MergeCheckBox->isEnabled());
    EXPECT_FALSE(form.RateComboBox->isEnabled());
    EXPECT_FALSE(form.PageControl1->isTabVisible(0));

    ASSERT_TRUE(AdvanceUntil([&] { return !form.Session.UploadAllButtonCancels(); }, 30000));
    Advance(100);
    EXPECT_EQ(form.UploadAllButton->text(), "Upload all");
    EXPECT_TRUE(form.UploadButton->isEnabled());
    EXPECT_TRUE(form.StartButton->isEnabled());
    EXPECT_TRUE(form.MergeCheckBox->isEnabled());
    EXPECT_TRUE(form.PageControl1->isTabVisible(0));
    EXPECT_EQ(StatusFill(Waiting), QColor(0, 255, 0)) << "saved";
    EXPECT_EQ(StatusFill(WaitingEmpty), QColor(Qt::white)) << "not part of it";
    EXPECT_TRUE(prompts.shown.last().startsWith("NOTICE: " + MsgUploadAllSaved.arg(1).arg(1).arg(
                                                     QDir::toNativeSeparators(form.Session.DataFolder))))
        << prompts.shown.last().toStdString();
}

// The button waits while the event log runs, as Upload does.
TEST_F(UploadAllWindow, TheButtonWaitsForTheEventLog) {
    TForm1& form = Start({StorageSensor(Waiting, 0)});
    form.PageControl1->setCurrentIndex(1);
    Advance(5500);
    form.StartButton->click();
    EXPECT_EQ(form.StartButton->text(), "End");
    EXPECT_FALSE(form.UploadAllButton->isEnabled());
    form.StartButton->click();
    Advance(6000);  // the off pass
    EXPECT_TRUE(form.UploadAllButton->isEnabled());
}
