#include "app/NetworkDialog.h"

#include <QFormLayout>
#include <QVBoxLayout>

NetworkDialog::NetworkDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Network Marks"));
    EnabledCheckBox = new QCheckBox(QStringLiteral("Listen for event marks (S1..S9, E1..E9)"), this);
    AddressLabel = new QLabel(this);
    PortSpinBox = new QSpinBox(this);
    PortSpinBox->setRange(1, 65535);
    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Address:"), AddressLabel);
    form->addRow(QStringLiteral("Port (TCP and UDP):"), PortSpinBox);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(EnabledCheckBox);
    layout->addLayout(form);
    layout->addWidget(Buttons);

    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void NetworkDialog::Load(bool enabled, const QString& address, int port) {
    EnabledCheckBox->setChecked(enabled);
    AddressLabel->setText(address);
    PortSpinBox->setValue(port);
}
