#include "app/SimulatedWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>

#include "session/StringTable.h"
#include "storage/EventLog.h"
#include "support/PseudoTerminalPair.h"

namespace {

const QString Waiting = QStringLiteral("Tq580-100000-001");      // waiting, log to upload
const QString WaitingEmpty = QStringLiteral("Tq580-100000-002");  // waiting, nothing stored
const QString Running = QStringLiteral("Tq580-100000-003");       // already logging

SimulatedSensorSpec SensorSetup(const QString& name, int stored, bool logging = false) {
    SimulatedSensorSpec sensorSetup;
    sensorSetup.name = name;
    sensorSetup.storedSamples = stored;
    sensorSetup.storedRateIndex = 4;  // 1 s
    sensorSetup.logging = logging;
    return sensorSetup;
}

class StorageFlow : public SimulatedWindowTest {
protected:
    TForm1& StartOnStoragePage(int waitingStored = 3000) {
        TForm1& form = Start({SensorSetup(Waiting, waitingStored), SensorSetup(WaitingEmpty, 0), SensorSetup(Running, 50, true)});
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

TEST_F(StorageFlow, TableListsThePairedSensorsInKeyOrder) {
    TForm1& form = StartOnStoragePage();
    ASSERT_EQ(OccupiedCount(form.Session.Devices), 3);
    EXPECT_EQ(form.Session.Devices[0].id, Waiting);
    EXPECT_EQ(form.Session.Devices[1].id, WaitingEmpty);
    EXPECT_EQ(form.Session.Devices[2].id, Running);
    EXPECT_TRUE(form.Session.Devices[2].meas);
    EXPECT_EQ(form.Session.Devices[0].count, 3000);

    form.DrawGrid1->setCurrentCell(0, 0);  // the header row cannot be selected
    EXPECT_EQ(form.DrawGrid1->currentRow(), form.DrawGrid1->rowCount() - 1);
    form.DrawGrid1->setCurrentCell(5, 0);  // nor an empty one
    EXPECT_EQ(form.DrawGrid1->currentRow(), form.DrawGrid1->rowCount() - 1);
    form.DrawGrid1->setCurrentCell(2, 0);
    EXPECT_EQ(form.DrawGrid1->currentRow(), 2);
}

TEST_F(StorageFlow, UnuploadedDataQuestionCanCancelTheStart) {
    TForm1& form = StartOnStoragePage();
    prompts.answers.push_back(false);
    form.StartButton->click();
    EXPECT_TRUE(prompts.shown.contains("ASK: " + MsgUnuploadedDataLost));
    EXPECT_EQ(form.Session.StartButtonTag, 0);
    EXPECT_EQ(form.StartButton->text(), "Start");
    EXPECT_TRUE(form.PageControl1->isTabVisible(0));
}

TEST_F(StorageFlow, EventLogStartsWaitingSensorsLogsMarksAndSwitchesAllOffAtTheEnd) {
    TForm1& form = StartOnStoragePage();
    form.RateComboBox->setCurrentIndex(2);     // 0.5sec
    form.AdvDataComboBox->setCurrentIndex(3);  // TOHb
    prompts.answers.push_back(true);
    form.StartButton->click();
    EXPECT_EQ(form.Session.StartButtonTag, 1);
    EXPECT_EQ(form.StartButton->text(), "End");
    EXPECT_FALSE(form.PageControl1->isTabVisible(0));
    EXPECT_FALSE(form.UploadButton->isEnabled());
    EXPECT_TRUE(form.LogMemo->toPlainText().endsWith("  Log started."));

    Advance(12000);  // the scan under way ends, the pass starts the waiting sensors
    EXPECT_EQ(central->CommandsTo(Waiting), QStringList{"@SS3,3"});
    EXPECT_EQ(central->CommandsTo(WaitingEmpty), QStringList{"@SS3,3"});
    EXPECT_TRUE(central->CommandsTo(Running).isEmpty());
    EXPECT_TRUE(simulator->Sensor(Waiting)->Logging());

    QKeyEvent press(QEvent::KeyPress, Qt::Key_3, Qt::NoModifier, "3");
    QApplication::sendEvent(form.LogMemo, &press);
    Advance(500);
    const QStringList lines = form.LogMemo->toPlainText().split('\n');
    EXPECT_TRUE(lines.last().endsWith("  Event3Started")) << lines.last().toStdString();
    QFile log(EventLogPath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll().mid(8, 4).toHex(), QByteArray("03000000"));

    Advance(12000);  // later passes send nothing twice
    EXPECT_EQ(central->CommandsTo(Waiting).size(), 1);

    form.StartButton->click();
    EXPECT_EQ(form.Session.StartButtonTag, 0);
    EXPECT_FALSE(form.StartButton->isEnabled());
    EXPECT_TRUE(form.MsgPanel2->isVisibleTo(&form));
    EXPECT_EQ(form.MsgPanel2->text(), MsgProcessing);
    Advance(12000);
    for (const QString& name : {Waiting, WaitingEmpty, Running})
        EXPECT_EQ(central->CommandsTo(name).last(), "@SDN") << name.toStdString();
    EXPECT_FALSE(simulator->Sensor(Running)->Logging());
    EXPECT_TRUE(form.StartButton->isEnabled());
    EXPECT_FALSE(form.MsgPanel2->isVisibleTo(&form));
    EXPECT_TRUE(form.LogMemo->toPlainText().contains("  Log ended."));
}

TEST_F(StorageFlow, EventBoxMarksGoToTheLogWhileTheEventLogRuns) {
    PseudoTerminalPair pair;
    if (!pair.failure.isEmpty()) GTEST_SKIP() << pair.failure.toStdString();
    TForm1& form = StartOnStoragePage();
    form.AuxinCheckBox2->setChecked(true);
    form.AuxPortEdit2->setText(pair.nearPath);
    prompts.answers.push_back(true);
    form.StartButton->click();
    ASSERT_EQ(form.Session.StartButtonTag, 1);
    ASSERT_TRUE(pair.WriteFar(QByteArray("\x02" "E6\x03", 4)));
    ASSERT_TRUE(pair.WaitNearQueued(4, 2000));
    Advance(500);
    EXPECT_TRUE(form.LogMemo->toPlainText().endsWith("  Event6Ended"));
    QFile log(EventLogPath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll().mid(8, 4).toHex(), QByteArray("faffffff"));

    form.StartButton->click();  // the end closes the port
    EXPECT_FALSE(form.Session.WUni232c1.Connect());
}

TEST_F(StorageFlow, MarkWithoutARunningEventLogIsDropped) {
    TForm1& form = StartOnStoragePage();
    form.Session.Supervision.PendingEvent = 2;
    Advance(500);
    EXPECT_EQ(form.Session.Supervision.PendingEvent, 0);
    EXPECT_FALSE(QFile::exists(EventLogPath()));
}

TEST_F(StorageFlow, CompleteUploadIsMergedSavedAndClearedOnTheSensor) {
    TForm1& form = StartOnStoragePage(2500);
    form.MergeCheckBox->setChecked(true);
    // The sensor logged its 2500 samples at 1 s until about now: a mark
    // logged on the PC 1000 s ago lands inside the record, on the sample of
    // its time; one from before the log does not.
    const double markTime = clock->Now() - 1000.0 / 86400;
    ASSERT_TRUE(AppendEventLog(EventLogPath(), clock->Now() - 3000.0 / 86400, 1));
    ASSERT_TRUE(AppendEventLog(EventLogPath(), markTime, 4));
    const QString path = QDir(DataFolder()).filePath("upload.csv");
    prompts.fileNames.push_back(path);

    ClickUploadOn(Waiting);
    EXPECT_EQ(form.PageControl1->currentIndex(), 0);
    ASSERT_TRUE(AdvanceUntilUploadSays(MsgUploading, 10000));
    Advance(200);  // the connection comes up and the command goes out
    EXPECT_TRUE(form.UploadPanel->isVisible());
    EXPECT_EQ(form.UploadOkButton->text(), "Cancel");
    EXPECT_FALSE(form.PageControl1->isTabVisible(1));
    EXPECT_EQ(central->CommandsTo(Waiting), QStringList{"GS4"});

    ASSERT_TRUE(AdvanceUntilUploadSays(MsgUploadCompleted));
    EXPECT_EQ(form.UploadLabel2->text(), "2500/2500  100% Received.");
    EXPECT_EQ(form.UploadLabel3->text(), "upload.csv" + MsgCreatedSuffix);
    EXPECT_EQ(central->CommandsTo(Waiting), QStringList({"GS4", "@CLR"}));
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(form.UploadOkButton->text(), "OK");
    EXPECT_TRUE(form.Session.Store.DataSaved);
    ASSERT_EQ(EventMarkCount(form.Session.Store), 1);
    EXPECT_EQ(form.Session.Store.EventMarks[0].code, 4);
    const int64_t elapsed = OleDateToMilliseconds(markTime) - OleDateToMilliseconds(form.Session.Store.RecordStartTime);
    EXPECT_EQ(form.Session.Store.EventMarks[0].sample, elapsed / 1000);

    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::sendEvent(form.PaintBox1, &enter);  // Enter acts on the panel's button
    EXPECT_FALSE(form.UploadPanel->isVisible());
    EXPECT_TRUE(form.PageControl1->isTabVisible(1));
    EXPECT_TRUE(form.Session.Store.InitPointsEditable);
    EXPECT_TRUE(form.C1->isEnabled());
    EXPECT_TRUE(form.StatusLine->text().startsWith("DeviceID[ " + Waiting + " ]"));
    EXPECT_TRUE(form.StatusLine->text().endsWith(" ]    Rate[ 1.0sec ]    Count[ 2500 ]"));
    EXPECT_FALSE(form.Session.Link.DeviceLinkReady);
    Advance(2000);
    EXPECT_EQ(simulator->Sensor(Waiting)->StoredSamples(), 0);
}

// The upload starts at the natural end of a scan; the watchdog then cancels
// a scan that no longer runs, and its end event must not open the
// real-time connection dialog over the upload.
TEST_F(StorageFlow, WatchdogAfterAnUploadsScanOpensNoDialog) {
    StartOnStoragePage(2000);
    Advance(5300);  // 10.8 s: the scan started at 6 s ends by itself at 11 s
    prompts.fileNames.push_back(QString());
    ClickUploadOn(Waiting);
    ASSERT_TRUE(AdvanceUntilUploadSays(MsgUploadCompleted));
    Advance(2000);
    EXPECT_FALSE(prompts.shown.contains("CONNECT"));
}

TEST_F(StorageFlow, CancelMidUploadOffersTheSaveButKeepsTheSensorsLog) {
    TForm1& form = StartOnStoragePage(5000);
    prompts.fileNames.push_back(QDir(DataFolder()).filePath("part.csv"));
    ClickUploadOn(Waiting);
    for (int i = 0; i < 6000 && form.Session.Store.SampleCount < 1000; ++i) Advance(10);
    ASSERT_GE(form.Session.Store.SampleCount, 1000);
    form.UploadOkButton->click();
    EXPECT_EQ(form.UploadLabel1->text(), MsgUploadAborted);
    EXPECT_TRUE(form.UploadLabel2->text().endsWith("% Aborted.")) << form.UploadLabel2->text().toStdString();
    EXPECT_EQ(form.UploadLabel3->text(), "part.csv" + MsgCreatedSuffix);
    EXPECT_EQ(central->CommandsTo(Waiting), QStringList({"GS4", "GC"}));
    EXPECT_TRUE(form.Session.Store.DataSaved);
    const int kept = form.Session.Store.SampleCount;
    Advance(1000);
    EXPECT_EQ(form.Session.Store.SampleCount, kept);
    form.UploadOkButton->click();
    EXPECT_EQ(simulator->Sensor(Waiting)->StoredSamples(), 5000);
}

TEST_F(StorageFlow, LostSamplesAbandonTheUploadWithoutSaving) {
    TForm1& form = StartOnStoragePage(3000);
    ClickUploadOn(Waiting);
    for (int i = 0; i < 6000 && form.Session.Store.SampleCount < 300; ++i) Advance(10);
    simulator->Sensor(Waiting)->DropPackets(1);
    ASSERT_TRUE(AdvanceUntilUploadSays(MsgUploadCommunicationError, 60000));
    EXPECT_TRUE(form.UploadLabel2->text().endsWith("% Aborted."));
    EXPECT_EQ(central->CommandsTo(Waiting), QStringList({"GS4", "GC"}));
    EXPECT_FALSE(prompts.shown.contains("SAVE"));
    EXPECT_TRUE(form.Session.Store.DataSaved);
}

TEST_F(StorageFlow, EmptyUploadSaysNoDataRecorded) {
    TForm1& form = StartOnStoragePage(3000);
    simulator->Sensor(Waiting)->FillStore(0, 4);
    ClickUploadOn(Waiting);  // the table still shows the count it advertised
    ASSERT_TRUE(AdvanceUntilUploadSays(MsgUploadCompleted, 20000));
    EXPECT_EQ(form.UploadLabel2->text(), MsgNoDataRecorded);
    EXPECT_FALSE(form.UploadProgressBar->isVisible());
    form.UploadOkButton->click();
    EXPECT_FALSE(form.E1->isEnabled());
}

TEST_F(StorageFlow, MergeMenuPutsLoggedMarksIntoTheRecord) {
    TForm1& form = Start();
    form.Session.Store.SampleCount = 3600;
    form.Session.Store.RecordRateIndex = 4;
    form.Session.Store.RecordStartTime = *OleDateFromParts({2026, 12, 10, 10, 0, 0});
    form.Session.Store.RecordEndTime = *OleDateFromParts({2026, 12, 10, 10, 59, 59});
    form.Session.Store.DataSaved = true;
    ASSERT_TRUE(AppendEventLog(EventLogPath(), *OleDateFromParts({2026, 12, 10, 10, 15, 30, 400}), 2));
    ASSERT_TRUE(AppendEventLog(EventLogPath(), *OleDateFromParts({2026, 12, 10, 10, 20, 0}), -2));

    prompts.answers.push_back(false);
    form.M1->trigger();
    EXPECT_EQ(EventMarkCount(form.Session.Store), 0);

    prompts.answers.push_back(true);
    form.M1->trigger();
    EXPECT_TRUE(prompts.shown.contains("NOTICE: 2 event information has been merged."));
    ASSERT_EQ(EventMarkCount(form.Session.Store), 2);
    EXPECT_EQ(form.Session.Store.EventMarks[0].sample, 930);
    EXPECT_EQ(form.Session.Store.EventMarks[1].sample, 1200);
    EXPECT_FALSE(form.Session.Store.DataSaved);
    EXPECT_TRUE(form.S1->isEnabled());
}
