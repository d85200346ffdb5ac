#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QSpinBox>

// "Network Marks": switches the listener for marks from stimulus programs
// on or off and sets its port. The address is changed in the settings file
// only, so the program leaves the loopback address only on purpose.
class NetworkDialog : public QDialog {
    Q_OBJECT

public:
    explicit NetworkDialog(QWidget* parent = nullptr);

    void Load(bool enabled, const QString& address, int port);

    QCheckBox* EnabledCheckBox;
    QLabel* AddressLabel;
    QSpinBox* PortSpinBox;
    QDialogButtonBox* Buttons;
};
