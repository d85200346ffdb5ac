// The listener for marks that stimulus programs send over the network: the
// session decides whether a mark is taken, the window keeps the settings
// and shows the listener's status.
#include "app/NetworkDialog.h"
#include "app/TForm1.h"
#include "network/MarkListener.h"

void TForm1::SetUpNetworkMarks() {
    NetworkListener = std::make_unique<MarkListener>([this](int event) { return Session.TakeOutsideMark(event); });
    NetworkStatus = new QLabel(StatusBar1);
    NetworkStatus->hide();
    StatusBar1->addPermanentWidget(NetworkStatus);
    Form4 = new NetworkDialog(this);
    connect(NetworkListener.get(), &MarkListener::StatusChanged, this, &TForm1::ShowNetworkStatus);
    connect(N1, &QAction::triggered, this, &TForm1::N1Click);
}

void TForm1::N1Click() {
    Form4->Load(networkEnabled_, networkAddress_, networkPort_);
    if (Form4->exec() != QDialog::Accepted) return;
    const bool enabled = Form4->EnabledCheckBox->isChecked();
    const int port = Form4->PortSpinBox->value();
    // Nothing changed: the connected programs stay connected.
    if (enabled == networkEnabled_ && port == networkPort_ && (!enabled || NetworkListener->IsListening())) return;
    networkEnabled_ = enabled;
    networkPort_ = port;
    ApplyNetworkSettings();
}

void TForm1::ApplyNetworkSettings() {
    if (networkEnabled_) NetworkListener->Listen(networkAddress_, static_cast<quint16>(networkPort_));
    else NetworkListener->Stop();
    ShowNetworkStatus();
}

void TForm1::ShowNetworkStatus() {
    NetworkStatus->setText(QStringLiteral("Network marks: ") + NetworkListener->StatusText());
    NetworkStatus->setVisible(networkEnabled_);
}
