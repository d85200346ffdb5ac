#include "app/ConnectionDialog.h"

#include <QtGlobal>

#include "app/TForm2.h"

void FillConnectionDialog(TForm2& dialog, const ConnectionOffer& offer) {
    dialog.MoreList->clear();  // a new showing starts with nothing more ticked
    dialog.ComboBox1->clear();
    dialog.ComboBox1->addItems(offer.deviceNames);
    if (!offer.deviceNames.isEmpty()) {
        dialog.ComboBox1->setCurrentIndex(offer.preselected >= 0 ? offer.preselected : 0);
        dialog.OkButton->setEnabled(true);
        dialog.OkButton->setFocus();
    } else {
        dialog.ComboBox1->setCurrentIndex(-1);
        dialog.OkButton->setEnabled(false);
        dialog.CancelButton->setFocus();
    }
    dialog.RateComboBox->setCurrentIndex(qBound(0, offer.rateItem, dialog.RateComboBox->count() - 1));
}

ConnectionChoice ReadConnectionDialog(const TForm2& dialog) {
    ConnectionChoice choice{dialog.ComboBox1->currentText(), dialog.RateComboBox->currentIndex(),
                            dialog.CheckBox1->isChecked()};
    for (int i = 0; i < dialog.MoreList->count(); ++i)
        if (dialog.MoreList->item(i)->checkState() == Qt::Checked) choice.moreDevices << dialog.MoreList->item(i)->text();
    return choice;
}
