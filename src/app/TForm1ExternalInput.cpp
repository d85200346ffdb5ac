#include "app/ControlStyle.h"
#include "app/TForm1.h"
#include "serial/AuxinCheckBox.h"

// The "Ext. Input" box of each page enables its port edit; the port itself
// is opened only when a measurement or an event log starts.
void TForm1::AuxinCheckBoxClick(int tag) {
    const QCheckBox* box = tag == 1 ? AuxinCheckBox2 : AuxinCheckBox;
    const AuxPortEditChange change = PortEditAfterAuxinClick(tag, box->isChecked());
    SetPortEditEnabled(change.page == 1 ? AuxPortEdit2 : AuxPortEdit, change.enabled);
}

void TForm1::SetPortEditEnabled(QLineEdit* edit, bool enabled) {
    edit->setEnabled(enabled);
    SetColour(edit, QPalette::Base, enabled ? WindowColour : InactiveCaptionColour);
    // Keep the port readable while it cannot be edited.
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(80, 80, 80));
    edit->setPalette(palette);
}

void TForm1::CopyExternalInput(QCheckBox* fromBox, QLineEdit* fromEdit, QCheckBox* toBox, QLineEdit* toEdit) {
    toBox->setChecked(fromBox->isChecked());
    toEdit->setText(fromEdit->text());
    SetPortEditEnabled(toEdit, fromEdit->isEnabled());
}

