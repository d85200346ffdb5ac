// The real message box, opened while a measurement runs, stands until OK is
// clicked; the measurement, its journal and its marks go on under it.
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTimer>

#include "app/QtPrompts.h"
#include "app/SimulatedWindow.h"
#include "journal/JournalReader.h"
#include "network/MarkListener.h"
#include "session/StringTable.h"
#include "support/LoopbackClients.h"

namespace {

const QString Sensor1 = QStringLiteral("Tq580-123456-001");

using OpenMessageBox = SimulatedWindowTest;

TEST_F(OpenMessageBox, TheMeasurementGoesOnUnderAnOpenErrorBox) {
    TForm1& form = Start();
    ASSERT_TRUE(QDir().mkpath(EventLogPath()));  // the event log file cannot be written
    ASSERT_TRUE(form.NetworkListener->Listen(QStringLiteral("127.0.0.1"), 0));
    MarkClient stimulus;
    ASSERT_TRUE(stimulus.Connect(form.NetworkListener->Port()));
    ChooseInDialog(Sensor1, 0);
    form.ConnectButton->click();
    for (int i = 0; i < 600 && form.Session.Mode() != SessionMode::Measuring; ++i) Advance(10);
    ASSERT_EQ(form.Session.Mode(), SessionMode::Measuring);
    Advance(2000);

    // Errors go to a real box; the user reads it for 12 s, then clicks OK.
    // A stimulus program sends a mark 6 s after it opened.
    QtPrompts boxes;
    boxes.SetParent(&form);
    QString boxText;
    int32_t samplesWhenOpened = -1;
    int32_t sampleWhenSent = -1;
    QByteArray answer;
    bool answeredWhileOpen = false;
    prompts.whileOpen = [&](const QString& shownText) {
        if (!shownText.startsWith("ERROR: ")) return;
        samplesWhenOpened = form.Session.Store.SampleCount;
        int64_t openedAt = elapsedMilliseconds;
        QTimer user;
        QObject::connect(&user, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            boxText = box->text();
            Advance(10);
            if (sampleWhenSent < 0 && elapsedMilliseconds - openedAt >= 6000) {
                sampleWhenSent = form.Session.Store.SampleCount - 1;
                stimulus.Send("S4\n");
            }
            if (answer.isEmpty() && stimulus.socket.canReadLine()) {
                answer = stimulus.socket.readLine().trimmed();
                answeredWhileOpen = true;
            }
            if (elapsedMilliseconds - openedAt >= 12000) box->button(QMessageBox::Ok)->click();
        });
        user.start(0);
        boxes.Error(shownText.mid(7));
    };
    form.Session.MarkEvent(2);  // a key, as the window forwards it
    Advance(600);

    EXPECT_TRUE(boxText.startsWith(MsgEventLogNotWritten.section('\n', 0, 0))) << boxText.toStdString();
    EXPECT_GE(form.Session.Store.SampleCount, samplesWhenOpened + 110);
    ASSERT_EQ(EventMarkCount(form.Session.Store), 2);
    EXPECT_TRUE(answeredWhileOpen);
    EXPECT_EQ(answer, "OK");
    EXPECT_EQ(form.Session.Store.EventMarks[1].code, 4);
    EXPECT_GE(form.Session.Store.EventMarks[1].sample, sampleWhenSent);
    EXPECT_LE(form.Session.Store.EventMarks[1].sample, sampleWhenSent + 2);
    SampleStore journalled;
    JournalReadResult result;
    QString error;
    ASSERT_TRUE(ReadJournalFile(form.Session.JournalPath(), journalled, result, &error)) << error.toStdString();
    EXPECT_GE(journalled.SampleCount, form.Session.Store.SampleCount - 6);
    EXPECT_EQ(prompts.shown.filter("ERROR:").size(), 1);
}

}  // namespace
