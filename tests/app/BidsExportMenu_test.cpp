#include <QDir>
#include <QLineEdit>
#include <QMenu>

#include "app/BidsExportDialog.h"
#include "app/WindowHarness.h"
#include "session/ExportTexts.h"

namespace {

class BidsExportMenu : public WindowTest {
protected:
    // The File menu opening: the item's state is settled then.
    static void OpenFileMenu(TForm1& form) {
        for (QObject* object : form.ExportBids1->associatedObjects())
            if (auto* menu = qobject_cast<QMenu*>(object)) emit menu->aboutToShow();
    }
};

// Enabled as the SNIRF export is; the answers reach the dataset and the
// settings file.
TEST_F(BidsExportMenu, ExportsTheRecordShownAndRemembersTheAnswers) {
    {
        TForm1& form = Show();
        OpenFileMenu(form);
        EXPECT_FALSE(form.ExportBids1->isEnabled());
        prompts.fileNames = {QDir(qEnvironmentVariable("TQ580_FIXTURES")).filePath(QStringLiteral("saved-record.csv"))};
        form.O1Click();
        OpenFileMenu(form);
        ASSERT_TRUE(form.ExportBids1->isEnabled());

        prompts.shown.clear();
        const QString dataset = folder.filePath(QStringLiteral("study"));
        prompts.bidsAnswers = {BidsExportChoice{dataset, "P01", "", "rest"}};
        form.ExportBids1->trigger();
        EXPECT_EQ(prompts.shown, (QStringList{"BIDS", "NOTICE: " + MsgBidsExported.arg("sub-P01_task-rest_run-1", dataset)}));
        EXPECT_TRUE(QFile::exists(QDir(dataset).filePath("sub-P01/nirs/sub-P01_task-rest_run-1_nirs.snirf")));
        ASSERT_TRUE(CloseWindow());
    }
    TForm1& form = Show();
    EXPECT_EQ(form.Session.Exports.BidsSubject, "P01");
    EXPECT_EQ(form.Session.Exports.BidsTask, "rest");
    EXPECT_EQ(form.Session.Exports.BidsDataset, folder.filePath(QStringLiteral("study")));
}

TEST(BidsExportDialog, OffersTheLastAnswersAndGivesWhatWasTyped) {
    BidsExportDialog dialog(nullptr, {"/data/study", "P01", "", "rest"});
    EXPECT_EQ(dialog.DatasetEdit->text(), "/data/study");
    EXPECT_EQ(dialog.SubjectEdit->text(), "P01");
    EXPECT_EQ(dialog.TaskEdit->text(), "rest");
    dialog.SessionEdit->setText("pre");
    dialog.SubjectEdit->setText("P02");
    const BidsExportChoice choice = dialog.Choice();
    EXPECT_EQ(choice.dataset, "/data/study");
    EXPECT_EQ(choice.subject, "P02");
    EXPECT_EQ(choice.session, "pre");
    EXPECT_EQ(choice.task, "rest");
}

}  // namespace
