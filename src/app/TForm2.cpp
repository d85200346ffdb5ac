#include "app/TForm2.h"

#include "app/DesignFont.h"
#include "data/RateTable.h"

TForm2::TForm2(QWidget* parent)
    : QDialog(parent),
      Label1(new QLabel(QStringLiteral("Connect to"), this)),
      ComboBox1(new QComboBox(this)),
      Label2(new QLabel(QStringLiteral("Sampling Rate"), this)),
      RateComboBox(new QComboBox(this)),
      CheckBox1(new QCheckBox(QStringLiteral("Check Sensors"), this)),
      OkButton(new QPushButton(QStringLiteral("OK"), this)),
      CancelButton(new QPushButton(QStringLiteral("Cancel"), this)) {
    setWindowTitle(QStringLiteral("Connection Settings"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(DesignFont(11));
    setFixedSize(229, 186);

    Label1->setGeometry(16, 12, 190, 16);
    ComboBox1->setGeometry(16, 30, 197, 22);
    ComboBox1->setToolTip(QStringLiteral("Select a target device"));
    Label2->setGeometry(16, 62, 190, 16);
    RateComboBox->setGeometry(16, 80, 97, 22);
    RateComboBox->setToolTip(QStringLiteral("Select measurement interval"));
    for (int index = 1; index < RateCount; ++index) RateComboBox->addItem(QString::fromLatin1(RateLabels[index]));
    RateComboBox->setCurrentIndex(0);
    CheckBox1->setGeometry(16, 112, 190, 20);
    OkButton->setGeometry(30, 146, 80, 27);
    OkButton->setDefault(true);
    CancelButton->setGeometry(120, 146, 80, 27);

    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(OkButton, CancelButton);
    setTabOrder(CancelButton, ComboBox1);
    setTabOrder(ComboBox1, RateComboBox);
    setTabOrder(RateComboBox, CheckBox1);
}
