#include <QDir>
#include <QMenu>

#include "app/WindowHarness.h"
#include "session/ExportTexts.h"

namespace {

const QString Overwrite = QStringLiteral("ASK: Do you want to overwrite the existing file?");
const QString SubjectAsked = "TEXT: " + MsgSnirfSubjectQuestion;

class SnirfExportMenu : public WindowTest {
protected:
    // The File menu opening: the item's state is settled then.
    static void OpenFileMenu(TForm1& form) {
        for (QObject* object : form.ExportSnirf1->associatedObjects())
            if (auto* menu = qobject_cast<QMenu*>(object)) emit menu->aboutToShow();
    }

    // The user opens the File menu and picks the item.
    static void ChooseExportSnirf(TForm1& form) {
        OpenFileMenu(form);
        form.ExportSnirf1->trigger();
    }

    // Opens the saved record fixture through "Open", as the user does.
    TForm1& ShowRecord() { return OpenRecord(Show()); }
    TForm1& OpenRecord(TForm1& form) {
        prompts.fileNames = {QDir(qEnvironmentVariable("TQ580_FIXTURES")).filePath(QStringLiteral("saved-record.csv"))};
        form.O1Click();
        EXPECT_EQ(form.Session.Store.SampleCount, 6);
        prompts.shown.clear();
        return form;
    }

    static bool IsHdf5File(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) && file.read(8) == QByteArray("\x89HDF\r\n\x1a\n", 8);
    }
};

TEST_F(SnirfExportMenu, EnabledWhileARecordWithHaemoglobinIsShown) {
    TForm1& form = Show();
    OpenFileMenu(form);
    EXPECT_FALSE(form.ExportSnirf1->isEnabled());

    OpenRecord(form);
    OpenFileMenu(form);
    EXPECT_TRUE(form.ExportSnirf1->isEnabled());

    form.Session.Store.CheckSensorsMode = true;  // light levels only
    OpenFileMenu(form);
    EXPECT_FALSE(form.ExportSnirf1->isEnabled());
    ChooseExportSnirf(form);
    EXPECT_TRUE(prompts.shown.isEmpty());
}

TEST_F(SnirfExportMenu, WritesTheRecordAndSaysSo) {
    TForm1& form = ShowRecord();
    const QString path = folder.filePath(QStringLiteral("morning"));  // the dialog adds ".snirf"
    prompts.fileNames = {path};
    prompts.texts = {QStringLiteral(" P01 ")};
    ChooseExportSnirf(form);
    EXPECT_EQ(prompts.shown, (QStringList{"SNIRF", SubjectAsked, "NOTICE: morning.snirf Created."}));
    EXPECT_EQ(prompts.lastSaveFolder, form.Session.DataFolder);
    EXPECT_TRUE(IsHdf5File(path + QStringLiteral(".snirf")));
    EXPECT_TRUE(form.Session.Store.DataSaved) << "exporting is not saving the record";

    // The subject is offered again next time; Cancel there writes nothing.
    EXPECT_EQ(form.Session.Exports.Subject, QStringLiteral("P01"));
    prompts.shown.clear();
    prompts.fileNames = {folder.filePath(QStringLiteral("evening.snirf"))};
    prompts.texts = {std::nullopt};
    ChooseExportSnirf(form);
    EXPECT_EQ(prompts.lastInitialText, QStringLiteral("P01"));
    EXPECT_EQ(prompts.shown, (QStringList{"SNIRF", SubjectAsked}));
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("evening.snirf"))));
}

TEST_F(SnirfExportMenu, AsksBeforeReplacingAFile) {
    TForm1& form = ShowRecord();
    const QString existing = folder.filePath(QStringLiteral("old.snirf"));
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("keep me");
    file.close();

    prompts.fileNames = {existing, QString()};  // No, then Cancel
    prompts.answers = {false};
    ChooseExportSnirf(form);
    EXPECT_EQ(prompts.shown, (QStringList{"SNIRF", Overwrite, "SNIRF"}));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("keep me"));
    file.close();

    prompts.shown.clear();
    prompts.fileNames = {existing};
    prompts.answers = {true};
    prompts.texts = {QString()};
    ChooseExportSnirf(form);
    EXPECT_EQ(prompts.shown, (QStringList{"SNIRF", Overwrite, SubjectAsked, "NOTICE: old.snirf Created."}));
    EXPECT_TRUE(IsHdf5File(existing));
}

TEST_F(SnirfExportMenu, AFailureIsReportedWithItsReason) {
    TForm1& form = ShowRecord();
    const QString path = folder.filePath(QStringLiteral("no-such-folder/record.snirf"));
    prompts.fileNames = {path};
    prompts.texts = {QString()};
    ChooseExportSnirf(form);
    ASSERT_EQ(prompts.shown.size(), 3);
    EXPECT_TRUE(prompts.shown[2].startsWith(QStringLiteral("ERROR: Unable to export"))) << prompts.shown[2].toStdString();
    EXPECT_TRUE(prompts.shown[2].contains(QStringLiteral("No such file or directory"))) << prompts.shown[2].toStdString();
    EXPECT_FALSE(QFile::exists(path));
}

}  // namespace
