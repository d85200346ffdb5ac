#include <QTimer>

#include "app/NetworkDialog.h"
#include "app/WindowHarness.h"
#include "network/MarkListener.h"
#include "support/LoopbackClients.h"

namespace {

using NetworkMarksWindow = WindowTest;

TEST_F(NetworkMarksWindow, NothingListensWithTheDefaultSettings) {
    TForm1& form = Show();
    EXPECT_FALSE(form.NetworkListener->IsListening());
    EXPECT_FALSE(form.NetworkStatus->isVisibleTo(&form));
    ASSERT_TRUE(CloseWindow());
    EXPECT_TRUE(SettingsText().endsWith("[Network]\r\nEnabled=0\r\nAddress=127.0.0.1\r\nPort=7580\r\n"));
}

// The settings file switches the listener on; a key and a network mark
// then reach the same record.
TEST_F(NetworkMarksWindow, TheSettingsFileSwitchesItOnAndTheStatusBarSaysWhere) {
    const quint16 port = FreeLoopbackPort();
    WriteSettingsText(QStringLiteral("[Network]\nEnabled=1\nAddress=127.0.0.1\nPort=%1\n").arg(port).toLatin1());
    TForm1& form = Show();
    ASSERT_TRUE(form.NetworkListener->IsListening());
    EXPECT_TRUE(form.NetworkStatus->isVisibleTo(&form));
    EXPECT_EQ(form.NetworkStatus->text(), QStringLiteral("Network marks: listening on 127.0.0.1:%1, 0 clients").arg(port));

    MarkClient client;
    ASSERT_TRUE(client.Connect(port));
    ASSERT_TRUE(RunEventsUntil([&] { return form.NetworkStatus->text().endsWith(", 1 client"); }));
    EXPECT_EQ(client.Ask("S3\n"), "ERR not measuring");
}

TEST_F(NetworkMarksWindow, APortInUseIsShownWithItsReason) {
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::LocalHost, 0));
    WriteSettingsText(QStringLiteral("[Network]\nEnabled=1\nPort=%1\n").arg(holder.serverPort()).toLatin1());
    TForm1& form = Show();
    EXPECT_FALSE(form.NetworkListener->IsListening());
    EXPECT_EQ(form.NetworkStatus->text(),
              QStringLiteral("Network marks: cannot listen on 127.0.0.1:%1: The bound address is already in use")
                  .arg(holder.serverPort()));
    EXPECT_TRUE(form.NetworkStatus->isVisibleTo(&form));
}

// The dialog switches the listener and sets its port; the address stays
// what the file says, and both are saved with the other settings.
TEST_F(NetworkMarksWindow, TheDialogSwitchesAndMovesTheListenerAndTheFileKeepsIt) {
    const quint16 port = FreeLoopbackPort();
    TForm1& form = Show();
    QString shownAddress;
    QTimer::singleShot(0, &form, [&] {
        shownAddress = form.Form4->AddressLabel->text();
        EXPECT_FALSE(form.Form4->EnabledCheckBox->isChecked());
        EXPECT_EQ(form.Form4->PortSpinBox->value(), 7580);
        form.Form4->EnabledCheckBox->setChecked(true);
        form.Form4->PortSpinBox->setValue(port);
        form.Form4->Buttons->button(QDialogButtonBox::Ok)->click();
    });
    form.N1->trigger();
    EXPECT_EQ(shownAddress, "127.0.0.1");
    ASSERT_TRUE(form.NetworkListener->IsListening());
    EXPECT_EQ(form.NetworkListener->Port(), port);
    MarkClient client;
    EXPECT_TRUE(client.Connect(port));

    QTimer::singleShot(0, &form, [&] {
        form.Form4->EnabledCheckBox->setChecked(false);
        form.Form4->Buttons->button(QDialogButtonBox::Cancel)->click();
    });
    form.N1->trigger();
    EXPECT_TRUE(form.NetworkListener->IsListening());  // cancelled: unchanged

    // OK with nothing changed keeps the connected program.
    ASSERT_TRUE(RunEventsUntil([&] { return form.NetworkListener->ClientCount() == 1; }));
    QTimer::singleShot(0, &form, [&] { form.Form4->Buttons->button(QDialogButtonBox::Ok)->click(); });
    form.N1->trigger();
    EXPECT_EQ(form.NetworkListener->ClientCount(), 1);
    EXPECT_EQ(client.Ask("S3\n"), "ERR not measuring");

    ASSERT_TRUE(CloseWindow());
    EXPECT_TRUE(SettingsText().endsWith(
        QStringLiteral("[Network]\r\nEnabled=1\r\nAddress=127.0.0.1\r\nPort=%1\r\n").arg(port).toLatin1()));

    TForm1& again = Show();
    ASSERT_TRUE(again.NetworkListener->IsListening());
    QTimer::singleShot(0, &again, [&] {
        again.Form4->EnabledCheckBox->setChecked(false);
        again.Form4->Buttons->button(QDialogButtonBox::Ok)->click();
    });
    again.N1->trigger();
    EXPECT_FALSE(again.NetworkListener->IsListening());
    EXPECT_FALSE(again.NetworkStatus->isVisibleTo(&again));
}

}  // namespace
