#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>

// "Connection Settings": the real-time connect flow fills the device list
// and the selections before showing it, and reads them afterwards. It has no
// behaviour of its own; "Check Sensors" keeps its state between showings.
class TForm2 : public QDialog {
    Q_OBJECT

public:
    explicit TForm2(QWidget* parent = nullptr);

    QLabel* Label1;
    QComboBox* ComboBox1;
    QLabel* Label2;
    QComboBox* RateComboBox;
    QCheckBox* CheckBox1;
    QPushButton* OkButton;
    QPushButton* CancelButton;
};
