#include <QDir>
#include <QTimer>

#include "session/StringTable.h"
#include "app/ConnectionDialog.h"
#include "app/TForm2.h"
#include "app/TForm3.h"
#include "app/WindowHarness.h"

namespace {

TEST_F(WindowTest, AboutShowsTheVersionOnceEveryTime) {
    TForm1& form = Show();
    QStringList seen;
    for (int showing = 0; showing < 2; ++showing) {
        QTimer::singleShot(0, &form, [&] {
            seen << form.Form3->VersionLabel->text();
            EXPECT_TRUE(form.Form3->isVisible());
            form.Form3->OkButton->click();
        });
        form.A1->trigger();
        EXPECT_FALSE(form.Form3->isVisible());
    }
    EXPECT_EQ(seen, (QStringList{"Ver 1.0.7.0", "Ver 1.0.7.0"}));
}

TEST_F(WindowTest, HelpOpensTheManualNextToTheProgram) {
    TForm1& form = Show();
    QFile manual(folder.filePath(HelpFileName));
    ASSERT_TRUE(manual.open(QIODevice::WriteOnly));
    manual.write("%PDF-1.4\n");
    manual.close();

    form.H2->trigger();
    EXPECT_EQ(opened, QList<QUrl>{QUrl::fromLocalFile(folder.filePath(HelpFileName))});
    EXPECT_TRUE(prompts.shown.isEmpty());

    // A desktop without a PDF viewer gives the same message as a missing file.
    openSucceeds = false;
    form.H2->trigger();
    EXPECT_EQ(prompts.shown, QStringList{"ERROR: " + MsgHelpFileNotFound});
}

TEST_F(WindowTest, HelpWithoutTheManualSaysSoAndChangesNothing) {
    TForm1& form = Show();
    form.H2->trigger();
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(prompts.shown, QStringList{"ERROR: " + MsgHelpFileNotFound});
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.PageControl1->currentIndex(), 0);
}

// The connect flow fills the dialog and reads it back; "Check Sensors" keeps
// its state from one showing to the next.
TEST_F(WindowTest, ConnectionSettingsDialogKeepsCheckSensors) {
    TForm1& form = Show();
    TForm2& dialog = *form.Form2;
    EXPECT_EQ(dialog.windowTitle(), "Connection Settings");
    EXPECT_EQ(dialog.RateComboBox->count(), 5);
    EXPECT_EQ(dialog.RateComboBox->itemText(0), "0.1sec");
    EXPECT_EQ(dialog.RateComboBox->itemText(4), "5.0sec");
    EXPECT_TRUE(dialog.OkButton->isDefault());

    QTimer::singleShot(0, &dialog, [&] {
        dialog.CheckBox1->setChecked(true);
        dialog.OkButton->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_TRUE(dialog.CheckBox1->isChecked());
        dialog.CancelButton->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
}

// The dialog shows what the scan offered: the last sensor preselected (else
// the first), OK only with a sensor to choose, the rate item kept in range.
TEST_F(WindowTest, ConnectionSettingsDialogShowsTheOffer) {
    TForm1& form = Show();
    TForm2& dialog = *form.Form2;
    FillConnectionDialog(dialog, {{"Tq580-1", "Tq580-2"}, 1, 2});
    EXPECT_EQ(dialog.ComboBox1->count(), 2);
    EXPECT_EQ(dialog.ComboBox1->currentText(), "Tq580-2");
    EXPECT_TRUE(dialog.OkButton->isEnabled());
    EXPECT_EQ(dialog.RateComboBox->currentIndex(), 2);

    FillConnectionDialog(dialog, {{"Tq580-1", "Tq580-2"}, -1, 9});
    EXPECT_EQ(dialog.ComboBox1->currentText(), "Tq580-1");
    EXPECT_EQ(dialog.RateComboBox->currentIndex(), 4);

    FillConnectionDialog(dialog, {{}, -1, -1});
    EXPECT_EQ(dialog.ComboBox1->count(), 0);
    EXPECT_FALSE(dialog.OkButton->isEnabled());
    EXPECT_EQ(dialog.RateComboBox->currentIndex(), 0);

    FillConnectionDialog(dialog, {{"Tq580-3"}, 0, 1});
    dialog.CheckBox1->setChecked(true);
    const ConnectionChoice choice = ReadConnectionDialog(dialog);
    EXPECT_EQ(choice.deviceName, "Tq580-3");
    EXPECT_EQ(choice.rateItem, 1);
    EXPECT_TRUE(choice.checkSensors);
}

// Up to three more sensors are ticked to be measured with the chosen one:
// the list offers the others, keeps its ticks when the choice moves, and
// takes no fourth tick.
TEST_F(WindowTest, ConnectionSettingsDialogTicksUpToThreeMoreSensors) {
    TForm1& form = Show();
    TForm2& dialog = *form.Form2;
    FillConnectionDialog(dialog, {{"Tq580-1", "Tq580-2", "Tq580-3", "Tq580-4", "Tq580-5"}, 0, 0});
    ASSERT_EQ(dialog.MoreList->count(), 4);
    EXPECT_EQ(dialog.MoreList->item(0)->text(), "Tq580-2");
    for (int i = 0; i < 4; ++i) dialog.MoreList->item(i)->setCheckState(Qt::Checked);
    EXPECT_EQ(dialog.MoreList->item(3)->checkState(), Qt::Unchecked) << "a fourth tick is not taken";
    EXPECT_EQ(ReadConnectionDialog(dialog).moreDevices, QStringList({"Tq580-2", "Tq580-3", "Tq580-4"}));

    dialog.ComboBox1->setCurrentIndex(2);  // Tq580-3 chosen: it leaves the list, the others keep their ticks
    const ConnectionChoice choice = ReadConnectionDialog(dialog);
    EXPECT_EQ(choice.deviceName, "Tq580-3");
    EXPECT_EQ(choice.moreDevices, QStringList({"Tq580-2", "Tq580-4"}));

    FillConnectionDialog(dialog, {{"Tq580-1", "Tq580-2"}, 1, 0});
    EXPECT_TRUE(ReadConnectionDialog(dialog).moreDevices.isEmpty()) << "a new showing starts with none ticked";
}

}  // namespace
