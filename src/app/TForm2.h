#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

// "Connection Settings": the real-time connect flow fills the device list
// and the selections before showing it, and reads them afterwards; "Check
// Sensors" keeps its state between showings. Up to three more sensors can
// be ticked to be measured together with the one chosen: the list offers
// the others, and takes no fourth tick.
class TForm2 : public QDialog {
    Q_OBJECT

public:
    explicit TForm2(QWidget* parent = nullptr);

    QLabel* Label1;
    QComboBox* ComboBox1;
    QLabel* Label3;
    QListWidget* MoreList;  // "Together with (up to 3)"
    QLabel* Label2;
    QComboBox* RateComboBox;
    QCheckBox* CheckBox1;
    QPushButton* OkButton;
    QPushButton* CancelButton;

    static constexpr int MaxMore = 3;

private:
    // The list offers every sensor but the one chosen, ticks kept.
    void OfferTheOthers();
    void KeepAtMostThreeTicked(QListWidgetItem* changed);
};
