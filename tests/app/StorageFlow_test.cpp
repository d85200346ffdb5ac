// Storage mode through the window: the device grid, the event log's
// controls and an upload with its panel. The decisions of these flows are
// tested on the session (tests/session).
#include "app/SimulatedWindow.h"

#include <QApplication>
#include "app/QtPrompts.h"
#include <QDir>
#include <QFile>
#include <QKeyEvent>

#include "session/StringTable.h"
#include "storage/EventLog.h"
#include "support/StorageSensorSetups.h"

namespace {

class StorageFlow : public SimulatedWindowTest {
protected:
    TForm1& StartOnStoragePage(int waitingStored = 3000) {
        TForm1& form = Start({StorageSensor(Waiting, waitingStored), StorageSensor(WaitingEmpty, 0), StorageSensor(Running, 50, true)});
        form.PageControl1->setCurrentIndex(1);
        Advance(5500);
        return form;
    }

    int RowOf(const QString& name) {
        for (int i = 0; i < DeviceTableSize; ++i)
            if (window->Session.Devices[i].id == name) return i + 1;
        return -1;
    }

    // Advances until the upload panel's first line reads text, or gives up.
    bool AdvanceUntilUploadSays(const QString& text, int64_t limitMilliseconds = 600000) {
        for (int64_t waited = 0; waited < limitMilliseconds; waited += 100) {
            if (window->UploadLabel1->text() == text) return true;
            Advance(100);
        }
        return false;
    }

    void ClickUploadOn(const QString& name) {
        window->DrawGrid1->setCurrentCell(RowOf(name), 0);
        window->UploadButton->click();
    }
};

}  // namespace

TEST_F(StorageFlow, GridSelectsOnlyRowsWithASensor) {
    TForm1& form = StartOnStoragePage();
    ASSERT_EQ(OccupiedCount(form.Session.Devices), 3);
    form.DrawGrid1->setCurrentCell(0, 0);  // the header row cannot be selected
    EXPECT_EQ(form.DrawGrid1->currentRow(), form.DrawGrid1->rowCount() - 1);
    form.DrawGrid1->setCurrentCell(5, 0);  // nor an empty one
    EXPECT_EQ(form.DrawGrid1->currentRow(), form.DrawGrid1->rowCount() - 1);
    form.DrawGrid1->setCurrentCell(2, 0);
    EXPECT_EQ(form.DrawGrid1->currentRow(), 2);
}

TEST_F(StorageFlow, EventLogThroughTheWindow) {
    TForm1& form = StartOnStoragePage();
    form.RateComboBox->setCurrentIndex(2);     // 0.5sec
    form.AdvDataComboBox->setCurrentIndex(3);  // TOHb
    prompts.answers.push_back(true);
    form.StartButton->click();
    EXPECT_EQ(form.StartButton->text(), "End");
    EXPECT_EQ(form.StartButton->toolTip(), HintFinishEventLog);
    EXPECT_FALSE(form.PageControl1->isTabVisible(0));
    EXPECT_FALSE(form.UploadButton->isEnabled());
    EXPECT_FALSE(form.RateComboBox->isEnabled());
    EXPECT_TRUE(form.LogMemo->toPlainText().endsWith("  Log started."));

    Advance(12000);  // the page's rate and value go to the waiting sensors
    EXPECT_EQ(central->CommandsTo(Waiting), QStringList{"@SS3,3"});

    QKeyEvent press(QEvent::KeyPress, Qt::Key_3, Qt::NoModifier, "3");
    QApplication::sendEvent(form.LogMemo, &press);
    Advance(500);
    const QStringList lines = form.LogMemo->toPlainText().split('\n');
    EXPECT_TRUE(lines.last().endsWith("  Event3Started")) << lines.last().toStdString();

    form.StartButton->click();
    EXPECT_EQ(form.StartButton->text(), "Start");
    EXPECT_EQ(form.StartButton->toolTip(), HintStartEventLog);
    EXPECT_FALSE(form.StartButton->isEnabled());
    EXPECT_FALSE(form.PageControl1->isTabVisible(0));  // until the sensors are off
    EXPECT_FALSE(form.UploadButton->isEnabled());
    EXPECT_TRUE(form.MsgPanel2->isVisibleTo(&form));
    EXPECT_EQ(form.MsgPanel2->text(), MsgProcessing);
    Advance(12000);
    EXPECT_EQ(central->CommandsTo(Running).last(), "@SDN");
    EXPECT_TRUE(form.StartButton->isEnabled());
    EXPECT_TRUE(form.PageControl1->isTabVisible(0));
    EXPECT_TRUE(form.UploadButton->isEnabled());
    EXPECT_FALSE(form.MsgPanel2->isVisibleTo(&form));
    EXPECT_TRUE(form.LogMemo->toPlainText().contains("  Log ended."));
}

// The storage page's "Ext. Input" box and port are what the event log opens.
TEST_F(StorageFlow, ExternalInputOfThePageIsReadAtTheStart) {
    TForm1& form = StartOnStoragePage(0);
    form.AuxinCheckBox2->setChecked(true);
    form.AuxPortEdit2->setText(folder.filePath("no-such-port"));
    form.StartButton->click();
    EXPECT_EQ(prompts.shown, QStringList{"ERROR: " + MsgUnableToOpenPort});
    EXPECT_EQ(form.StartButton->text(), "Start");
    EXPECT_TRUE(form.PageControl1->isTabVisible(0));
    EXPECT_TRUE(form.LogMemo->toPlainText().isEmpty());
}

TEST_F(StorageFlow, UploadWithItsPanel) {
    TForm1& form = StartOnStoragePage(2500);
    form.MergeCheckBox->setChecked(true);
    ASSERT_TRUE(AppendEventLog(EventLogPath(), clock->Now() - 1000.0 / 86400, 4));
    const QString path = QDir(DataFolder()).filePath("upload.csv");
    prompts.fileNames.push_back(path);

    ClickUploadOn(Waiting);
    EXPECT_EQ(form.PageControl1->currentIndex(), 0);
    ASSERT_TRUE(AdvanceUntilUploadSays(MsgUploading, 10000));
    Advance(200);  // the connection comes up and the command goes out
    EXPECT_TRUE(form.UploadPanel->isVisible());
    EXPECT_EQ(form.UploadOkButton->text(), "Cancel");
    EXPECT_TRUE(form.UploadOkButton->hasFocus());
    EXPECT_FALSE(form.PageControl1->isTabVisible(1));
    EXPECT_FALSE(form.ConnectButton->isEnabled());
    EXPECT_FALSE(form.GroupBox1->isEnabled());
    EXPECT_EQ(central->CommandsTo(Waiting), QStringList{"GS4"});
    for (int i = 0; i < 6000 && form.Session.Store.SampleCount < 500; ++i) Advance(10);
    EXPECT_TRUE(form.UploadProgressBar->isVisible());
    EXPECT_TRUE(form.UploadLabel2->text().endsWith("% Received.")) << form.UploadLabel2->text().toStdString();

    ASSERT_TRUE(AdvanceUntilUploadSays(MsgUploadCompleted));
    // The save: its file name was answered, the writer thread writes.
    ASSERT_TRUE(AdvanceUntil([&] { return form.UploadOkButton->isEnabled(); }, 5000));
    EXPECT_EQ(form.UploadLabel2->text(), "2500/2500  100% Received.");
    EXPECT_EQ(form.UploadLabel3->text(), "upload.csv and upload.snirf" + MsgCreatedSuffix);
    EXPECT_EQ(form.UploadProgressBar->value(), 100);
    EXPECT_EQ(form.UploadOkButton->text(), "OK");
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(EventMarkCount(form.Session.Store), 1);  // the page's merge box was read

    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::sendEvent(form.PaintBox1, &enter);  // Enter acts on the panel's button
    EXPECT_FALSE(form.UploadPanel->isVisible());
    EXPECT_TRUE(form.PageControl1->isTabVisible(1));
    EXPECT_TRUE(form.ConnectButton->isEnabled());
    EXPECT_TRUE(form.GroupBox1->isEnabled());
    EXPECT_TRUE(form.C1->isEnabled());
    EXPECT_TRUE(form.E1->isEnabled());
    EXPECT_FALSE(form.S1->isEnabled());
    EXPECT_TRUE(form.StatusLine->text().startsWith("DeviceID[ " + Waiting + " ]"));
    EXPECT_TRUE(form.StatusLine->text().endsWith(" ]    Rate[ 1.0sec ]    Count[ 2500 ]"));

    // The Edit menu's merge asks first, then marks the record unsaved.
    prompts.answers.push_back(true);
    form.M1->trigger();
    EXPECT_TRUE(prompts.shown.contains("ASK: " + MsgMergeQuestion));
    EXPECT_EQ(prompts.shown.last(), "NOTICE: " + MsgMergedCount.arg(1));
    EXPECT_TRUE(form.S1->isEnabled());
}

// An error shown during the event log, left open, holds off neither the
// remote pass nor its scans: the waiting sensors are started, none stays
// connected.
TEST_F(StorageFlow, TheRemotePassGoesOnUnderAnOpenErrorBox) {
    ASSERT_TRUE(QDir().mkpath(EventLogPath()));  // the event log file cannot be written
    TForm1& form = StartOnStoragePage();
    QtPrompts boxes;
    boxes.SetParent(&form);
    prompts.onMessage = [&](const QString& shownText) {
        if (shownText.startsWith("ERROR: ")) boxes.Error(shownText.mid(7));
    };
    prompts.answers.push_back(true);
    form.StartButton->click();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_3, Qt::NoModifier, "3");
    QApplication::sendEvent(form.LogMemo, &press);
    ASSERT_TRUE(AdvanceUntil([] { return QApplication::activeModalWidget() != nullptr; }, 2000));
    QWidget* box = QApplication::activeModalWidget();

    Advance(12000);
    EXPECT_EQ(QApplication::activeModalWidget(), box) << "the box is still open";
    for (const QString& name : {Waiting, WaitingEmpty}) {
        EXPECT_EQ(central->CommandsTo(name).size(), 1) << name.toStdString();
        EXPECT_TRUE(simulator->Sensor(name)->Logging()) << name.toStdString();
        EXPECT_FALSE(simulator->Sensor(name)->Connected()) << name.toStdString();
    }
    EXPECT_EQ(form.Session.Mode(), SessionMode::EventLog);
}
