// A real message box, opened while a measurement runs, stands until OK is
// clicked; the measurement, its journal and its marks go on under it, the
// marks typed on the box among them.
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "app/QtPrompts.h"
#include "app/SimulatedWindow.h"
#include "data/CsvReader.h"
#include "journal/JournalReader.h"
#include "network/MarkListener.h"
#include "session/StringTable.h"
#include "support/LoopbackClients.h"

namespace {

const QString Sensor1 = QStringLiteral("Tq580-123456-001");

class OpenMessageBox : public SimulatedWindowTest {
protected:
    // The window measures on the first sensor.
    TForm1& Measure() {
        TForm1& form = Start();
        ChooseInDialog(Sensor1, 0);
        form.ConnectButton->click();
        AdvanceUntil([&] { return form.Session.Mode() == SessionMode::Measuring; }, 6000);
        return form;
    }
};

TEST_F(OpenMessageBox, TheMeasurementAndItsKeysGoOnUnderAnOpenErrorBox) {
    ASSERT_TRUE(QDir().mkpath(EventLogPath()));  // the event log file cannot be written
    TForm1& form = Measure();
    ASSERT_EQ(form.Session.Mode(), SessionMode::Measuring);
    ASSERT_TRUE(form.NetworkListener->Listen(QStringLiteral("127.0.0.1"), 0));
    MarkClient stimulus;
    ASSERT_TRUE(stimulus.Connect(form.NetworkListener->Port()));
    Advance(2000);

    // Errors go to a real box, which the user reads for 12 s.
    QtPrompts boxes;
    boxes.SetParent(&form);
    prompts.onMessage = [&](const QString& shownText) {
        if (shownText.startsWith("ERROR: ")) boxes.Error(shownText.mid(7));
    };
    QTest::keyClick(form.PaintBox1, Qt::Key_1);  // the first mark: its line cannot be written
    Advance(600);
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_TRUE(box);
    EXPECT_TRUE(box->text().startsWith(MsgEventLogNotWritten.section('\n', 0, 0))) << box->text().toStdString();
    const int32_t samplesWhenOpened = form.Session.Store.SampleCount;

    // Keys typed while the box is in front mark as they would on the window.
    QWidget* focused = box->focusWidget() ? box->focusWidget() : box;
    Advance(2000);
    const int32_t sampleOfTwo = form.Session.Store.SampleCount - 1;
    QTest::keyClick(focused, Qt::Key_2);
    Advance(2000);
    const int32_t sampleOfThree = form.Session.Store.SampleCount - 1;
    QTest::keyClick(focused, Qt::Key_3);
    Advance(2000);
    const int32_t sampleOfFour = form.Session.Store.SampleCount - 1;
    const QByteArray answer = stimulus.Ask("S4\n");
    Advance(6000);
    ASSERT_EQ(QApplication::activeModalWidget(), box) << "the box stays until OK";
    box->button(QMessageBox::Ok)->click();
    Advance(600);

    EXPECT_GE(form.Session.Store.SampleCount, samplesWhenOpened + 110);
    EXPECT_EQ(answer, "OK");
    ASSERT_EQ(EventMarkCount(form.Session.Store), 4);
    const int32_t keySamples[] = {sampleOfTwo, sampleOfThree};
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(form.Session.Store.EventMarks[i + 1].code, i + 2);
        EXPECT_GE(form.Session.Store.EventMarks[i + 1].sample, keySamples[i]);
        EXPECT_LE(form.Session.Store.EventMarks[i + 1].sample, keySamples[i] + 6);
    }
    EXPECT_EQ(form.Session.Store.EventMarks[3].code, 4);
    EXPECT_GE(form.Session.Store.EventMarks[3].sample, sampleOfFour);
    EXPECT_LE(form.Session.Store.EventMarks[3].sample, sampleOfFour + 2);
    // All four wait for the event log file, none is lost.
    EXPECT_EQ(form.Session.UnwrittenEventLogMarks(), 4);
    SampleStore journalled;
    JournalReadResult result;
    QString error;
    ASSERT_TRUE(ReadJournalFile(form.Session.JournalPath(), journalled, result, &error)) << error.toStdString();
    EXPECT_GE(journalled.SampleCount, form.Session.Store.SampleCount - 6);
    EXPECT_EQ(prompts.shown.filter("ERROR:").size(), 1);
}

// A key typed into a text field of another window is the field's, even
// while marks are taken.
TEST_F(OpenMessageBox, AKeyTypedIntoAFieldOfAnotherWindowIsNoMark) {
    TForm1& form = Measure();
    ASSERT_EQ(form.Session.Mode(), SessionMode::Measuring);
    Advance(1000);
    QtPrompts dialogs;
    dialogs.SetParent(&form);
    std::optional<QString> typed;
    dialogs.AskText(QStringLiteral("Subject"), QString(), [&](std::optional<QString> text) { typed = text; });
    auto* dialog = QApplication::activeModalWidget();
    ASSERT_TRUE(dialog);
    auto* field = dialog->findChild<QLineEdit*>();
    ASSERT_TRUE(field);
    QTest::keyClicks(field, QStringLiteral("17"));
    QTest::keyClick(field, Qt::Key_Return);
    Advance(1000);
    EXPECT_EQ(typed, QStringLiteral("17"));
    EXPECT_EQ(EventMarkCount(form.Session.Store), 0);
}

// "Created." stands on the screen after End; a stimulus program's mark that
// comes meanwhile is refused: the saved record is the one in the file.
TEST_F(OpenMessageBox, AMarkUnderTheCreatedNoticeIsRefused) {
    TForm1& form = Measure();
    ASSERT_EQ(form.Session.Mode(), SessionMode::Measuring);
    ASSERT_TRUE(form.NetworkListener->Listen(QStringLiteral("127.0.0.1"), 0));
    MarkClient stimulus;
    ASSERT_TRUE(stimulus.Connect(form.NetworkListener->Port()));
    Advance(2000);
    EXPECT_EQ(stimulus.Ask("S1\n"), "OK");
    QtPrompts boxes;
    boxes.SetParent(&form);
    prompts.onMessage = [&](const QString& shownText) {
        if (shownText.startsWith("NOTICE: ")) boxes.Notice(shownText.mid(8));
    };
    const QString path = QDir(DataFolder()).filePath("ended.csv");
    prompts.fileNames.push_back(path);
    form.ConnectButton->click();
    form.Session.SettleDiskWrites();
    auto* notice = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->text(), "ended.csv" + MsgCreatedSuffix);
    EXPECT_EQ(stimulus.Ask("S4\n"), "ERR not measuring");
    Advance(3000);
    notice->button(QMessageBox::Ok)->click();
    Advance(100);
    SampleStore saved;
    ASSERT_TRUE(ReadRecordFile(saved, path).recordReplaced);
    EXPECT_EQ(EventMarkCount(saved), EventMarkCount(form.Session.Store));
    EXPECT_EQ(EventMarkCount(form.Session.Store), 1);
    EXPECT_TRUE(form.Session.Store.DataSaved);
}

}  // namespace
