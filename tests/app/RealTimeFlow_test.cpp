// A real-time measurement through the window: clicks, keys and what the
// window shows. The decisions of the flow are tested on the session
// (tests/session).
#include "app/SimulatedWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>

#include "data/Sample.h"
#include "session/StringTable.h"

namespace {
void Type(QWidget* target, int key, Qt::KeyboardModifiers modifiers, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &press);
}
const QString Sensor1 = QStringLiteral("Tq580-123456-001");
}  // namespace

using RealTimeFlow = SimulatedWindowTest;

TEST_F(RealTimeFlow, MeasurementWithKeyMarksEndsAndIsSaved) {
    TForm1& form = Start();
    EXPECT_EQ(form.ConnectButton->text(), "Start");
    EXPECT_EQ(form.ConnectButton->toolTip(), HintConnect);
    ChooseInDialog(Sensor1, 0);
    form.ConnectButton->click();
    EXPECT_FALSE(form.ConnectButton->isEnabled());  // while the scan runs
    for (int i = 0; i < 600 && form.Session.ConnectButtonTag() == 0; ++i) Advance(10);
    ASSERT_EQ(form.Session.ConnectButtonTag(), 1);
    EXPECT_EQ(form.ConnectButton->text(), "End");
    EXPECT_EQ(form.ConnectButton->toolTip(), HintDisconnect);
    EXPECT_TRUE(form.ConnectButton->isEnabled());
    EXPECT_FALSE(form.PageControl1->isTabVisible(1));
    EXPECT_FALSE(form.ResetButton->isEnabled());  // until the link is up
    EXPECT_FALSE(form.O1->isEnabled());
    EXPECT_FALSE(form.S1->isEnabled());
    EXPECT_TRUE(form.MsgPanel->isVisible());
    EXPECT_EQ(form.MsgPanel->text(), MsgConnecting);
    EXPECT_TRUE(form.GroupBox1->isVisibleTo(&form));
    EXPECT_FALSE(form.GroupBox2->isVisibleTo(&form));

    Advance(3000);
    EXPECT_EQ(central->CommandsTo(Sensor1), QStringList{"ST1"});
    EXPECT_TRUE(form.ResetButton->isEnabled());
    EXPECT_GT(form.Session.Store.SampleCount, 20);
    EXPECT_TRUE(form.StatusLine->text().startsWith("DeviceID[ " + Sensor1 + " ]    Start[ 2026/12/10 "));
    EXPECT_TRUE(form.StatusLine->text().endsWith(" ]    Rate[ 0.1sec ]\u3000Measuring..."));

    // Keys typed anywhere in the window mark events on the newest sample.
    Type(form.PaintBox1, Qt::Key_3, Qt::NoModifier, "3");
    EXPECT_EQ(form.Session.PendingEvent, 3);
    Advance(500);
    ASSERT_EQ(EventMarkCount(form.Session.Store), 1);
    EXPECT_EQ(form.Session.Store.EventMarks[0].code, 3);
    EXPECT_GE(form.Session.Store.EventMarks[0].sample, form.Session.Store.SampleCount - 6);
    Type(form.PaintBox1, Qt::Key_3, Qt::AltModifier, "3");
    Advance(500);
    ASSERT_EQ(EventMarkCount(form.Session.Store), 2);
    EXPECT_EQ(form.Session.Store.EventMarks[1].code, -3);
    QFile log(EventLogPath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.size(), 32);

    const QString path = QDir(DataFolder()).filePath("measurement.csv");
    prompts.fileNames.push_back(path);
    form.ConnectButton->click();
    EXPECT_EQ(central->CommandsTo(Sensor1), QStringList({"ST1", "ED"}));
    form.Session.SettleDiskWrites();  // the writer thread's report
    EXPECT_TRUE(prompts.shown.contains("NOTICE: measurement.csv" + MsgCreatedSuffix))
        << prompts.shown.join('|').toStdString();
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(form.ConnectButton->text(), "Start");
    EXPECT_TRUE(form.ConnectButton->isEnabled());
    EXPECT_TRUE(form.PageControl1->isTabVisible(1));
    EXPECT_FALSE(form.ResetButton->isEnabled());
    EXPECT_TRUE(form.O1->isEnabled());
    EXPECT_FALSE(form.S1->isEnabled());  // saved
    EXPECT_TRUE(form.E1->isEnabled());
    EXPECT_FALSE(form.MsgPanel->isVisible());
    EXPECT_TRUE(form.StatusLine->text().endsWith(
        QStringLiteral(" ]    Rate[ 0.1sec ]    Count[ %1 ]").arg(form.Session.Store.SampleCount)));
}

// A key that marks an event is the mark's alone: typed while the focus is on
// "Moving avg.", it does not also choose "3 points". With no measurement
// running the same key is no mark and goes to the control.
TEST_F(RealTimeFlow, AKeyThatMarksGoesNoFurther) {
    TForm1& form = Start();
    form.AuxinCheckBox->setChecked(true);
    form.AuxPortEdit->setText(QString());
    Type(form.AuxPortEdit, Qt::Key_3, Qt::NoModifier, "3");
    EXPECT_EQ(form.AuxPortEdit->text(), "3");
    form.AuxinCheckBox->setChecked(false);

    StartMeasurementOn(Sensor1);
    Advance(1000);
    form.AveComboBox->setFocus();
    Type(form.AveComboBox, Qt::Key_3, Qt::NoModifier, "3");
    Advance(500);
    Type(form.AveComboBox, Qt::Key_E, Qt::ControlModifier, QString(QChar(5)));
    Advance(500);
    EXPECT_EQ(form.AveComboBox->currentText(), "none");
    ASSERT_EQ(EventMarkCount(form.Session.Store), 2);
    EXPECT_EQ(form.Session.Store.EventMarks[0].code, 3);
    EXPECT_EQ(form.Session.Store.EventMarks[1].code, -5);
}

// A sensor check shows the light-level controls in place of the haemoglobin
// ones, and its end leaves the status line and the menus alone.
TEST_F(RealTimeFlow, SensorCheckShowsTheLightLevelControls) {
    TForm1& form = Start();
    StartMeasurementOn(Sensor1, 2, true);
    EXPECT_EQ(central->CommandsTo(Sensor1), QStringList{"CK3"});
    EXPECT_TRUE(form.GroupBox2->isVisibleTo(&form));
    EXPECT_FALSE(form.GroupBox1->isVisibleTo(&form));
    Advance(3000);
    const QString status = form.StatusLine->text();
    form.ConnectButton->click();
    EXPECT_FALSE(form.E1->isEnabled());
    EXPECT_FALSE(form.S1->isEnabled());
    EXPECT_EQ(form.StatusLine->text(), status);
}

TEST_F(RealTimeFlow, SilentSensorKeepsTheConnectingMessageUntilEnd) {
    TForm1& form = Start();
    simulator->Sensor(Sensor1)->SetSilent(true);
    StartMeasurementOn(Sensor1);
    Advance(2000);
    EXPECT_TRUE(form.MsgPanel->isVisible());
    EXPECT_EQ(form.MsgPanel->text(), MsgConnecting);
    form.ConnectButton->click();
    EXPECT_FALSE(form.MsgPanel->isVisible());
    EXPECT_FALSE(prompts.shown.contains("SAVE"));
}

// The page's "Ext. Input" box and port are what the start opens.
TEST_F(RealTimeFlow, ExternalInputOfThePageIsReadAtTheStart) {
    TForm1& form = Start();
    form.AuxinCheckBox->setChecked(true);
    form.AuxPortEdit->setText(folder.filePath("no-such-port"));
    StartMeasurementOn(Sensor1);
    EXPECT_TRUE(prompts.shown.contains("ERROR: " + MsgUnableToOpenPort));
    EXPECT_EQ(form.ConnectButton->text(), "Start");
    EXPECT_TRUE(form.PageControl1->isTabVisible(1));
    EXPECT_TRUE(central->CommandsTo(Sensor1).isEmpty());
}
