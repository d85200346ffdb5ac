#include <QFileInfo>
#include <QPrinter>

#include "session/StringTable.h"
#include "app/TrendViewHarness.h"

namespace {

TEST_F(TrendViewTest, TheArrangementButtonsScrollAStoppedRecordOverItsWholeLength) {
    FillRecord(form->Session.Store, 5000, 1, TenOClock());
    Settle();
    form->SpeedButton2->click();
    EXPECT_EQ(form->Session.View.TrendArrangement, 0);
    EXPECT_EQ(form->Session.View.ExpectedScreenSamples, (form->PaintBox1->width() - 60) / 2);
    EXPECT_TRUE(ScrollBarShown());
    EXPECT_EQ(form->ScrollBar1->maximum(), 4999);
    EXPECT_EQ(form->ScrollBar1->value(), 0);
    Settle();
    EXPECT_EQ(form->Session.View.ScreenSamples, form->Session.View.ExpectedScreenSamples);

    form->ScrollBar1->setValue(700);
    form->SpeedButton1->click();  // already shown: keeps its place
    EXPECT_EQ(form->Session.View.TrendArrangement, 1);
    EXPECT_EQ(form->ScrollBar1->value(), 700);

    FillRecord(form->Session.Store, 300, 1, TenOClock());
    form->SpeedButton2->click();
    EXPECT_FALSE(ScrollBarShown());
    EXPECT_EQ(form->ScrollBar1->value(), 0);

    // While measuring the scroll bar is left alone.
    FillRecord(form->Session.Store, 5000, 1, TenOClock());
    form->Session.SetActivityForTest(SessionMode::Measuring);
    form->SpeedButton1->click();
    EXPECT_FALSE(ScrollBarShown());
}

TEST_F(TrendViewTest, TheScrollRangeRuleShowsTheEndOfALongRecordOnly) {
    ShowStoppedRecord(5000);
    ASSERT_GT(form->Session.View.ScreenSamples, 0);
    EXPECT_TRUE(ScrollBarShown());
    EXPECT_EQ(form->ScrollBar1->maximum(), 5000 - form->Session.View.ScreenSamples);
    EXPECT_EQ(form->ScrollBar1->value(), form->ScrollBar1->maximum());
    EXPECT_EQ(form->ScrollBar1->singleStep(), 50);

    FillRecord(form->Session.Store, form->Session.View.ScreenSamples, 1, TenOClock());
    form->SetScrollRangeForRecord();
    EXPECT_FALSE(ScrollBarShown());
}

TEST_F(TrendViewTest, MovingTheScrollBarRemovesTheCursor) {
    ShowStoppedRecord(5000);
    const PaneRect ch1 = Channel(0);
    Click({ch1.Left + 40, ch1.Top + 20});
    ASSERT_NE(form->Session.View.CursorIndex, -1);
    form->ScrollBar1->setValue(10);
    EXPECT_EQ(form->Session.View.CursorIndex, -1);
    EXPECT_EQ(form->Session.View.CursorChannel, -1);
}

TEST_F(TrendViewTest, ThePanelsFollowTheNewestSampleWhileMeasuringOnly) {
    FillRecord(form->Session.Store, 500, 1, TenOClock());
    form->Session.Store.CurrentSample.batt = 1.7f;
    form->Session.SetActivityForTest(SessionMode::Measuring);
    form->RepaintTrend();  // as the decoder asks after new samples
    Settle();
    EXPECT_TRUE(form->MsgPanel->isVisibleTo(form));
    EXPECT_EQ(form->MsgPanel->text(), "Battery needs to be replaced.");
    EXPECT_TRUE(form->BattPanel->isVisibleTo(form));
    EXPECT_EQ(form->BattPanel->text(), "1.7[V]");
    EXPECT_EQ(form->BattPanel->palette().color(QPalette::Window), QColor(Qt::red));
    EXPECT_EQ(form->TimeLabel->text(), "0:00:49");
    EXPECT_FALSE(form->GroupBox3->isVisibleTo(form));

    form->Session.Store.CurrentSample.batt = 2.7f;
    form->Session.Supervision.LinkLost = true;
    form->RepaintTrend();
    Settle();
    EXPECT_EQ(form->MsgPanel->text(), "Lost communication with device.");
    EXPECT_EQ(form->BattPanel->palette().color(QPalette::Window), QColor(Qt::green));

    form->Session.SetActivityForTest(SessionMode::Idle);
    form->RepaintTrend();
    Settle();
    EXPECT_FALSE(form->MsgPanel->isVisibleTo(form));
    EXPECT_TRUE(form->MsgPanel->text().isEmpty());
    EXPECT_FALSE(form->BattPanel->isVisibleTo(form));
}

TEST_F(TrendViewTest, RestingOnALiveErrorShowsItsListUntilThePointerLeaves) {
    FillRecord(form->Session.Store, 500, 1, TenOClock());
    form->Session.Store.CurrentSample.ch[0].status = 0x0401;
    form->Session.SetActivityForTest(SessionMode::Measuring);
    const PaneRect ch1 = Channel(0);
    const int middle = (ch1.Left + ch1.Right) / 2;
    Hover({middle, ch1.Top - 8});
    form->RepaintTrend();
    Settle();
    EXPECT_TRUE(form->GroupBox3->isVisibleTo(form));
    EXPECT_EQ(form->GroupBox3->title(), "Error Status");
    EXPECT_EQ(form->LabelStatus->text(), "7mm770nm PD meas. error\nNo data\n");
    EXPECT_TRUE(form->LabelStatus->isVisibleTo(form));
    EXPECT_FALSE(form->LabelOXHb->isVisibleTo(form));

    Hover({middle, ch1.Top + 40});
    form->RepaintTrend();
    Settle();
    EXPECT_FALSE(form->GroupBox3->isVisibleTo(form));
}

TEST_F(TrendViewTest, TheCursorReadOutShowsTheSampleOrItsErrors) {
    ShowStoppedRecord(300);
    form->Session.Store.Samples[30].ch[1].status = 0x0200;
    const PaneRect ch1 = Channel(0);
    const PaneRect ch2 = Channel(1);
    Click({ch1.Left + 25, ch1.Top + 20});
    Settle();
    EXPECT_EQ(form->GroupBox3->title(), "CH1(L) 10:00:02.50");
    EXPECT_EQ(form->LabelTOHb->text(), "TOHb= 0.1500[mM]");
    EXPECT_EQ(form->LabelSTO2->text(), "STO2=50[%]");
    EXPECT_TRUE(form->LabelOXHb->isVisibleTo(form));
    EXPECT_FALSE(form->LabelStatus->isVisibleTo(form));

    Click({ch2.Left + 30, ch2.Top + 20});
    Settle();
    EXPECT_EQ(form->GroupBox3->title(), "CH2(R) 10:00:03");
    EXPECT_EQ(form->LabelStatus->text(), "STO2 calc. error\n");
    EXPECT_TRUE(form->LabelStatus->isVisibleTo(form));
    EXPECT_FALSE(form->LabelOXHb->isVisibleTo(form));
}

TEST_F(TrendViewTest, TheMessageAndUploadPanelsStayCentred) {
    form->resize(1300, 900);
    Settle();
    const QRect panel = form->Panel1->rect();
    EXPECT_EQ(form->MsgPanel->geometry().center().x(), panel.center().x());
    EXPECT_NEAR(form->MsgPanel->geometry().center().y(), panel.center().y(), 1);
    EXPECT_NEAR(form->UploadPanel->geometry().center().x(), panel.center().x(), 1);
}

TEST_F(TrendViewTest, InsertingAndClearingValueInitializationPoints) {
    ShowStoppedRecord(300, true);
    form->Session.Store.DataSaved = true;
    const PaneRect ch1 = Channel(0);
    Click({ch1.Left + 100, ch1.Top + 20});
    ASSERT_TRUE(form->ResetButton->isEnabled());
    form->ResetButton->click();
    EXPECT_TRUE(form->Session.Store.Samples[100].ch[0].status & StatusInitPoint);
    EXPECT_FALSE(form->ResetButton->isEnabled());
    EXPECT_TRUE(form->S1->isEnabled());
    EXPECT_FALSE(form->Session.Store.DataSaved);
    EXPECT_EQ(form->Session.View.CursorIndex, -1);

    prompts.answers = {false};  // Cancel keeps the point
    form->C1->setEnabled(true);
    form->C1->trigger();
    EXPECT_EQ(prompts.shown.last(), "ASK: " + MsgClearInitPoints);
    EXPECT_TRUE(form->Session.Store.Samples[100].ch[0].status & StatusInitPoint);
    prompts.answers = {true};
    form->C1->trigger();
    EXPECT_FALSE(form->Session.Store.Samples[100].ch[0].status & StatusInitPoint);
}

TEST_F(TrendViewTest, PrintingPutsThePictureOfTheWindowIntoTheChosenFile) {
    ShowStoppedRecord(3000);
    const QString pdf = folder.filePath("printed.pdf");
    printPrompts.printSetupAnswers = {[](QPrinter& printer) { printer.setPageOrientation(QPageLayout::Landscape); }};
    form->U1->trigger();
    printPrompts.printAnswers = {[&](QPrinter& printer) {
        EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);  // the setup applies
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    }};
    form->P1->trigger();
    EXPECT_EQ(prompts.shown, (QStringList{"PRINT SETUP", "PRINT"}));
    EXPECT_GT(QFileInfo(pdf).size(), 1000);

    // Cancelled: nothing is printed.
    const QString other = folder.filePath("cancelled.pdf");
    printPrompts.printAnswers = {[&](QPrinter& printer) {
        printer.setOutputFileName(other);
        return false;
    }};
    form->P1->trigger();
    EXPECT_FALSE(QFileInfo::exists(other));
}

}  // namespace
