#include "app/TForm2.h"

#include "app/DesignFont.h"
#include "data/RateTable.h"

TForm2::TForm2(QWidget* parent)
    : QDialog(parent),
      Label1(new QLabel(QStringLiteral("Connect to"), this)),
      ComboBox1(new QComboBox(this)),
      Label3(new QLabel(QStringLiteral("Together with (up to 3)"), this)),
      MoreList(new QListWidget(this)),
      Label2(new QLabel(QStringLiteral("Sampling Rate"), this)),
      RateComboBox(new QComboBox(this)),
      CheckBox1(new QCheckBox(QStringLiteral("Check Sensors"), this)),
      OkButton(new QPushButton(QStringLiteral("OK"), this)),
      CancelButton(new QPushButton(QStringLiteral("Cancel"), this)) {
    setWindowTitle(QStringLiteral("Connection Settings"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(DesignFont(11));
    setFixedSize(229, 286);

    Label1->setGeometry(16, 12, 190, 16);
    ComboBox1->setGeometry(16, 30, 197, 22);
    ComboBox1->setToolTip(QStringLiteral("Select a target device"));
    Label3->setGeometry(16, 60, 197, 16);
    MoreList->setGeometry(16, 78, 197, 78);
    MoreList->setToolTip(QStringLiteral("Tick sensors to measure together with it"));
    Label2->setGeometry(16, 162, 190, 16);
    RateComboBox->setGeometry(16, 180, 97, 22);
    RateComboBox->setToolTip(QStringLiteral("Select measurement interval"));
    for (int index = 1; index < RateCount; ++index) RateComboBox->addItem(QString::fromLatin1(RateLabels[index]));
    RateComboBox->setCurrentIndex(0);
    CheckBox1->setGeometry(16, 212, 190, 20);
    OkButton->setGeometry(30, 246, 80, 27);
    OkButton->setDefault(true);
    CancelButton->setGeometry(120, 246, 80, 27);

    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TForm2::OfferTheOthers);
    connect(MoreList, &QListWidget::itemChanged, this, &TForm2::KeepAtMostThreeTicked);

    setTabOrder(OkButton, CancelButton);
    setTabOrder(CancelButton, ComboBox1);
    setTabOrder(ComboBox1, MoreList);
    setTabOrder(MoreList, RateComboBox);
    setTabOrder(RateComboBox, CheckBox1);
}

void TForm2::OfferTheOthers() {
    QStringList ticked;
    for (int i = 0; i < MoreList->count(); ++i)
        if (MoreList->item(i)->checkState() == Qt::Checked) ticked << MoreList->item(i)->text();
    const QSignalBlocker quiet(MoreList);
    MoreList->clear();
    for (int i = 0; i < ComboBox1->count(); ++i) {
        if (i == ComboBox1->currentIndex()) continue;
        auto* item = new QListWidgetItem(ComboBox1->itemText(i), MoreList);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        item->setCheckState(ticked.contains(item->text()) ? Qt::Checked : Qt::Unchecked);
    }
}

void TForm2::KeepAtMostThreeTicked(QListWidgetItem* changed) {
    if (!changed || changed->checkState() != Qt::Checked) return;
    int ticked = 0;
    for (int i = 0; i < MoreList->count(); ++i) ticked += MoreList->item(i)->checkState() == Qt::Checked ? 1 : 0;
    if (ticked <= MaxMore) return;
    const QSignalBlocker quiet(MoreList);
    changed->setCheckState(Qt::Unchecked);
}
