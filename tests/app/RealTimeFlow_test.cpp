#include "app/SimulatedWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>

#include "session/StringTable.h"
#include "data/Sample.h"
#include "storage/EventMerge.h"
#include "support/PseudoTerminalPair.h"

namespace {
void Type(QWidget* target, int key, Qt::KeyboardModifiers modifiers, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &press);
}
const QString Sensor1 = QStringLiteral("Tq580-123456-001");
const QString Sensor2 = QStringLiteral("Tq580-123456-002");
const QString Sibling = QStringLiteral("Tq570-654321-001");
}  // namespace

using RealTimeFlow = SimulatedWindowTest;

TEST_F(RealTimeFlow, DialogOffersPairedSensorsOfBothModelsAndPreselectsTheLastOne) {
    TForm1& form = Start();
    form.Session.Link.TargetDeviceName = Sensor2;
    prompts.connectionAnswers.push_back([&](const ConnectionOffer& offer) -> std::optional<ConnectionChoice> {
        offered = offer.deviceNames;
        preselected = offer.preselected >= 0 ? offer.deviceNames.value(offer.preselected) : QString();
        return std::nullopt;
    });
    form.ConnectButton->click();
    EXPECT_FALSE(form.ConnectButton->isEnabled());
    Advance(5500);

    EXPECT_EQ(prompts.shown, QStringList{"CONNECT"});
    EXPECT_TRUE(offered.contains(Sensor1));
    EXPECT_TRUE(offered.contains(Sibling));
    for (const QString& name : offered) {
        EXPECT_TRUE(name.startsWith("Tq580-") || name.startsWith("Tq570-")) << name.toStdString();
        EXPECT_TRUE(simulator->Sensor(name)->Paired()) << name.toStdString();
    }
    EXPECT_EQ(offered.size(), 5);  // the unpaired sensor is left out
    EXPECT_EQ(preselected, Sensor2);
    // Cancel leaves the program idle.
    EXPECT_TRUE(form.ConnectButton->isEnabled());
    EXPECT_EQ(form.Session.ConnectButtonTag, 0);
}

TEST_F(RealTimeFlow, EmptyListAllowsOnlyCancel) {
    SimulatedSensorSpec unpaired;
    unpaired.name = QStringLiteral("Tq580-999999-001");
    unpaired.paired = false;
    SimulatedSensorSpec otherKind;
    otherKind.name = QStringLiteral("Thermometer-1");
    TForm1& form = Start({unpaired, otherKind});
    prompts.connectionAnswers.push_back([&](const ConnectionOffer& offer) -> std::optional<ConnectionChoice> {
        EXPECT_TRUE(offer.deviceNames.isEmpty());
        return std::nullopt;
    });
    form.ConnectButton->click();
    Advance(5500);
    EXPECT_EQ(prompts.shown, QStringList{"CONNECT"});
    EXPECT_TRUE(form.ConnectButton->isEnabled());
}

TEST_F(RealTimeFlow, MeasurementStreamsIntoTheRecordAndEndsWithStopAndSummary) {
    TForm1& form = Start();
    StartMeasurementOn(Sensor1, 0);
    ASSERT_EQ(form.Session.ConnectButtonTag, 1);
    EXPECT_EQ(form.ConnectButton->text(), "End");
    EXPECT_FALSE(form.PageControl1->isTabVisible(1));
    EXPECT_TRUE(form.ResetButton->isEnabled());
    EXPECT_FALSE(form.O1->isEnabled());
    EXPECT_TRUE(form.Session.Link.DeviceLinkReady);
    ASSERT_GE(central->commands.size(), 2);
    EXPECT_TRUE(central->commands[0].startsWith(Sensor1 + " TS,"));
    EXPECT_EQ(central->CommandsTo(Sensor1), QStringList{"ST1"});

    const int before = form.Session.Store.SampleCount;
    Advance(10000);
    const int streamed = form.Session.Store.SampleCount - before;
    EXPECT_NEAR(streamed, 100, 3);  // 10 s at 100 ms
    for (int i = 0; i < form.Session.Store.SampleCount; ++i) {
        ASSERT_EQ(form.Session.Store.Samples[i].index, i);
        if (i > 0) {
            ASSERT_EQ(uint8_t(form.Session.Store.Samples[i].seq), uint8_t(form.Session.Store.Samples[i - 1].seq + 1));
        }
    }
    EXPECT_TRUE(form.StatusLine->text().startsWith("DeviceID[ " + Sensor1 + " ]    Start[ 2026/12/10 "));
    EXPECT_TRUE(form.StatusLine->text().endsWith(" ]    Rate[ 0.1sec ]\u3000Measuring..."));

    prompts.fileNames.push_back(QString());  // the save dialog, cancelled
    form.ConnectButton->click();
    EXPECT_EQ(central->CommandsTo(Sensor1), QStringList({"ST1", "ED"}));
    EXPECT_TRUE(central->calls.contains("disconnect " + Sensor1));
    EXPECT_FALSE(form.Session.Link.DeviceLinkReady);
    EXPECT_EQ(form.Session.ConnectButtonTag, 0);
    EXPECT_EQ(form.ConnectButton->text(), "Start");
    EXPECT_TRUE(form.PageControl1->isTabVisible(1));
    EXPECT_FALSE(form.Session.Store.DataSaved);
    EXPECT_TRUE(form.S1->isEnabled());
    EXPECT_TRUE(form.E1->isEnabled());
    EXPECT_EQ(form.Session.Store.RecordDeviceId, Sensor1);
    EXPECT_TRUE(form.StatusLine->text().endsWith(
        QStringLiteral(" ]    Rate[ 0.1sec ]    Count[ %1 ]").arg(form.Session.Store.SampleCount)));
    EXPECT_TRUE(prompts.shown.contains("SAVE"));

    const int kept = form.Session.Store.SampleCount;
    Advance(2000);
    EXPECT_EQ(form.Session.Store.SampleCount, kept);  // nothing more arrives
}

TEST_F(RealTimeFlow, DiscardQuestionAndCancelledDialogKeepThePreviousRecord) {
    TForm1& form = Start();
    StartMeasurementOn(Sensor1);
    Advance(3000);
    prompts.fileNames.push_back(QString());
    form.ConnectButton->click();
    const int kept = form.Session.Store.SampleCount;
    ASSERT_GT(kept, 0);
    ASSERT_FALSE(form.Session.Store.DataSaved);

    prompts.answers.push_back(false);  // keep the unsaved data
    form.ConnectButton->click();
    EXPECT_TRUE(prompts.shown.contains("ASK: " + MsgDiscardUnsavedData));
    EXPECT_TRUE(form.ConnectButton->isEnabled());
    EXPECT_EQ(central->scans, 1);

    prompts.answers.push_back(true);  // discard, then cancel the dialog
    prompts.connectionAnswers.push_back([](const ConnectionOffer&) { return std::nullopt; });
    form.ConnectButton->click();
    Advance(5500);
    EXPECT_EQ(form.Session.Store.SampleCount, kept);
    EXPECT_FALSE(form.Session.Store.DataSaved);
    EXPECT_TRUE(form.ConnectButton->isEnabled());
}

TEST_F(RealTimeFlow, SensorGoneBeforeConnectStartsNothingAndSaysNothing) {
    TForm1& form = Start();
    prompts.connectionAnswers.push_back([&](const ConnectionOffer&) -> std::optional<ConnectionChoice> {
        simulator->Sensor(Sensor1)->SetInRange(false);
        return ConnectionChoice{Sensor1, 0, false};
    });
    form.ConnectButton->click();
    Advance(5500);
    EXPECT_EQ(form.Session.ConnectButtonTag, 0);
    EXPECT_TRUE(form.ConnectButton->isEnabled());
    EXPECT_EQ(prompts.shown, QStringList{"CONNECT"});
    EXPECT_TRUE(central->CommandsTo(Sensor1).isEmpty());
}

TEST_F(RealTimeFlow, ExternalInputPortThatCannotOpenRefusesTheStart) {
    TForm1& form = Start();
    form.AuxinCheckBox->setChecked(true);
    form.AuxPortEdit->setText(folder.filePath("no-such-port"));
    StartMeasurementOn(Sensor1);
    EXPECT_TRUE(prompts.shown.contains("ERROR: " + MsgUnableToOpenPort));
    EXPECT_EQ(form.Session.ConnectButtonTag, 0);
    EXPECT_TRUE(central->CommandsTo(Sensor1).isEmpty());
}

TEST_F(RealTimeFlow, KeyMarksLandOnTheNewestSampleAndInTheEventLog) {
    TForm1& form = Start();
    form.Session.Supervision.PendingEvent = 4;  // before the first sample: dropped
    StartMeasurementOn(Sensor1);
    EXPECT_EQ(EventMarkCount(form.Session.Store), 0);

    Advance(2000);
    Type(form.PaintBox1, Qt::Key_3, Qt::NoModifier, "3");
    EXPECT_EQ(form.Session.Supervision.PendingEvent, 3);
    Advance(500);
    ASSERT_EQ(EventMarkCount(form.Session.Store), 1);
    EXPECT_EQ(form.Session.Store.EventMarks[0].code, 3);
    const int markedAt = form.Session.Store.EventMarks[0].sample;
    EXPECT_GE(markedAt, form.Session.Store.SampleCount - 6);
    EXPECT_LT(markedAt, form.Session.Store.SampleCount);

    Type(form.PaintBox1, Qt::Key_3, Qt::AltModifier, "3");
    Advance(500);
    ASSERT_EQ(EventMarkCount(form.Session.Store), 2);
    EXPECT_EQ(form.Session.Store.EventMarks[1].code, -3);

    QFile log(EventLogPath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray bytes = log.readAll();
    ASSERT_EQ(bytes.size(), 32);
    EXPECT_EQ(bytes.mid(8, 4).toHex(), QByteArray("03000000"));
    EXPECT_EQ(bytes.mid(24, 4).toHex(), QByteArray("fdffffff"));
}

// An event log file that cannot be written holds back no mark: each goes
// into the record at once, the user hears of the file once, and the file
// gets every mark, in order, when it can be written again.
TEST_F(RealTimeFlow, EventLogFailureKeepsEveryMarkInTheRecordAndTellsOnce) {
    TForm1& form = Start();
    StartMeasurementOn(Sensor1);
    Advance(1000);
    form.Session.EventLogFileName = folder.filePath("missing/tq580.evl");
    form.Session.Supervision.PendingEvent = 2;
    Advance(500);
    form.Session.Supervision.PendingEvent = -2;
    Advance(1000);
    EXPECT_EQ(prompts.shown.filter("ERROR:").size(), 1);
    EXPECT_EQ(form.Session.Supervision.PendingEvent, 0);
    ASSERT_EQ(EventMarkCount(form.Session.Store), 2);
    EXPECT_EQ(form.Session.Store.EventMarks[0].code, 2);
    EXPECT_EQ(form.Session.Store.EventMarks[1].code, -2);
    EXPECT_FALSE(QFile::exists(EventLogPath()));

    form.Session.EventLogFileName = EventLogPath();
    Advance(500);
    QList<EventLogRecord> records;
    ASSERT_TRUE(ReadEventLog(EventLogPath(), records, nullptr));
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].event, 2);
    EXPECT_EQ(records[1].event, -2);
    EXPECT_EQ(EventMarkCount(form.Session.Store), 2);
}

TEST_F(RealTimeFlow, SilenceLosesTheLinkAndTheNextPacketRecovers) {
    TForm1& form = Start();
    StartMeasurementOn(Sensor1);
    Advance(1000);
    simulator->Sensor(Sensor1)->SetSilent(true);
    Advance(9500);
    EXPECT_FALSE(form.Session.Supervision.LinkLost);  // 20 silent ticks are not yet lost
    Advance(1100);
    EXPECT_TRUE(form.Session.Supervision.LinkLost);

    simulator->Sensor(Sensor1)->SetSilent(false);
    Advance(300);
    EXPECT_FALSE(form.Session.Supervision.LinkLost);
    EXPECT_EQ(form.Session.ConnectButtonTag, 1);  // the measurement goes on
}

TEST_F(RealTimeFlow, EndAfterALostLinkSendsNoStopButDisconnects) {
    TForm1& form = Start();
    StartMeasurementOn(Sensor1);
    Advance(1000);
    simulator->Sensor(Sensor1)->SetSilent(true);
    Advance(11000);
    ASSERT_TRUE(form.Session.Supervision.LinkLost);
    prompts.fileNames.push_back(QString());
    form.ConnectButton->click();
    EXPECT_EQ(central->CommandsTo(Sensor1), QStringList{"ST1"});
    EXPECT_TRUE(central->calls.contains("disconnect " + Sensor1));
    EXPECT_FALSE(central->calls.contains("notify off " + Sensor1));
    Advance(500);
    EXPECT_FALSE(form.Session.Supervision.LinkLost);
}

TEST_F(RealTimeFlow, SensorCheckEndsWithoutSummaryOrSaveOffer) {
    TForm1& form = Start();
    StartMeasurementOn(Sensor1, 2, true);
    EXPECT_EQ(central->CommandsTo(Sensor1), QStringList{"CK3"});
    EXPECT_TRUE(form.GroupBox2->isVisibleTo(&form));
    EXPECT_FALSE(form.GroupBox1->isVisibleTo(&form));
    Advance(3000);
    EXPECT_GT(form.Session.Store.SampleCount, 0);
    const QString status = form.StatusLine->text();
    form.ConnectButton->click();
    EXPECT_FALSE(prompts.shown.contains("SAVE"));
    EXPECT_TRUE(form.Session.Store.DataSaved);
    EXPECT_FALSE(form.E1->isEnabled());
    EXPECT_FALSE(form.S1->isEnabled());
    EXPECT_EQ(form.StatusLine->text(), status);
}

TEST_F(RealTimeFlow, MeasurementWithoutSamplesEndsWithoutSaveOffer) {
    TForm1& form = Start();
    simulator->Sensor(Sensor1)->SetSilent(true);
    StartMeasurementOn(Sensor1);
    Advance(2000);
    EXPECT_TRUE(form.MsgPanel->isVisible());
    EXPECT_EQ(form.MsgPanel->text(), MsgConnecting);
    form.ConnectButton->click();
    EXPECT_FALSE(form.MsgPanel->isVisible());
    EXPECT_TRUE(form.Session.Store.DataSaved);
    EXPECT_FALSE(prompts.shown.contains("SAVE"));
}

TEST_F(RealTimeFlow, StartDuringAStorageScanWaitsForThatScan) {
    TForm1& form = Start();
    form.PageControl1->setCurrentIndex(1);
    Advance(2000);
    ASSERT_EQ(central->scans, 1);
    form.PageControl1->setCurrentIndex(0);
    ChooseInDialog(Sensor1);
    form.ConnectButton->click();
    EXPECT_EQ(central->scans, 1);  // no second scan
    Advance(3500);
    EXPECT_EQ(prompts.shown, QStringList{"CONNECT"});
    Advance(500);
    EXPECT_EQ(form.Session.ConnectButtonTag, 1);
    EXPECT_EQ(central->scans, 1);
}

TEST_F(RealTimeFlow, StorageCycleScansBackToBackAndTheWatchdogCutsEverySecondScan) {
    TForm1& form = Start();
    form.PageControl1->setCurrentIndex(1);
    Advance(30000);
    // Scans of 5 s and cut scans of 1 s alternate: 0-5, 5-6, 6-11, 11-12, ...
    EXPECT_GE(central->scans, 9);
    EXPECT_LE(central->scans, 11);
    EXPECT_GE(central->calls.count("cancel"), 4);
    EXPECT_GT(OccupiedCount(form.Session.Devices), 0);

    form.PageControl1->setCurrentIndex(0);
    const int scans = central->scans;
    Advance(12000);
    EXPECT_EQ(central->scans, scans);  // the cycle ends after the scan under way
}

TEST_F(RealTimeFlow, MeasuredRecordIsSavedAsCsvWithEveryRowAndMark) {
    TForm1& form = Start();
    StartMeasurementOn(Sensor1, 0);
    Advance(3000);
    form.Session.Supervision.PendingEvent = 5;
    Advance(3000);
    const QString path = QDir(DataFolder()).filePath("measurement.csv");
    prompts.fileNames.push_back(path);
    form.ConnectButton->click();
    ASSERT_TRUE(prompts.shown.contains("NOTICE: measurement.csv" + MsgCreatedSuffix)) << prompts.shown.join('|').toStdString();
    EXPECT_TRUE(form.Session.Store.DataSaved);
    EXPECT_FALSE(form.S1->isEnabled());

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    EXPECT_TRUE(lines[0].startsWith("S/N," + Sensor1.toLatin1() + ",RATE,100"));
    const int headerLines = 5;
    ASSERT_EQ(lines.size() - 1 - headerLines, form.Session.Store.SampleCount);  // CR LF ends every line
    const int mark = form.Session.Store.EventMarks[0].sample;
    for (int i = 0; i < form.Session.Store.SampleCount; ++i) {
        const QList<QByteArray> fields = lines[headerLines + i].trimmed().split(',');
        ASSERT_EQ(fields.size(), 17);
        ASSERT_EQ(fields[1].toInt(), i);
        const MEAS_DATA_TYPE& sample = form.Session.Store.Samples[i];
        ASSERT_NEAR(fields[8].toDouble(), sample.ch[0].oxhb, 0.00005);
        ASSERT_NEAR(fields[16].toDouble(), sample.ch[1].sto2 * 100, 0.005);
        ASSERT_EQ(fields[6], i == mark ? QByteArray("S5") : QByteArray());
    }
}

TEST_F(RealTimeFlow, MarksFromTheSerialEventBoxLandInTheRecordAndTheEventLog) {
    PseudoTerminalPair pair;
    if (!pair.failure.isEmpty()) GTEST_SKIP() << pair.failure.toStdString();
    TForm1& form = Start();
    form.AuxinCheckBox->setChecked(true);
    form.AuxPortEdit->setText(pair.nearPath);
    StartMeasurementOn(Sensor1);
    ASSERT_EQ(form.Session.ConnectButtonTag, 1) << prompts.shown.join('|').toStdString();
    ASSERT_TRUE(form.Session.WUni232c1.Connect());
    Advance(1000);

    ASSERT_TRUE(pair.WriteFar(QByteArray("\x02S7\x03", 4)));
    ASSERT_TRUE(pair.WaitNearQueued(4, 2000));
    Advance(500);
    ASSERT_TRUE(pair.WriteFar(QByteArray("\x02" "E", 2)));  // a frame split over two ticks
    ASSERT_TRUE(pair.WaitNearQueued(2, 2000));
    Advance(500);
    ASSERT_TRUE(pair.WriteFar(QByteArray("7\x03", 2)));
    ASSERT_TRUE(pair.WaitNearQueued(2, 2000));
    Advance(500);

    ASSERT_EQ(EventMarkCount(form.Session.Store), 2);
    EXPECT_EQ(form.Session.Store.EventMarks[0].code, 7);
    EXPECT_EQ(form.Session.Store.EventMarks[1].code, -7);
    EXPECT_GE(form.Session.Store.EventMarks[1].sample, form.Session.Store.SampleCount - 6);
    QFile log(EventLogPath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.size(), 32);

    prompts.fileNames.push_back(QString());
    form.ConnectButton->click();
    prompts.answers.push_back(true);  // leave without saving
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.Session.WUni232c1.Connect());
}
