#include <QCloseEvent>
#include <QShowEvent>

#include "prompts/Prompts.h"
#include "session/StringTable.h"
#include "app/TForm1.h"

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (event->spontaneous() || shownOnce_) return;
    shownOnce_ = true;
    FormShow();
}

void TForm1::FormShow() {
    if (!bluetoothUnusable_.isEmpty()) {
        // Once the window is up, say why the program cannot run and leave
        // without reading or writing the settings.
        QMetaObject::invokeMethod(this, &TForm1::ReportUnusableBluetooth, Qt::QueuedConnection);
        return;
    }
    ReadSettings();
    SetPortEditEnabled(AuxPortEdit, AuxinCheckBox->isChecked());
    // Records a crash left in journals come back once the window stands.
    QMetaObject::invokeMethod(this, [this] { Session.RecoverRecords(); }, Qt::QueuedConnection);
}

void TForm1::ReportUnusableBluetooth() {
    prompts_.Error(bluetoothUnusable_);
    close();
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (bluetoothUnusable_.isEmpty() && !FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

bool TForm1::FormCloseQuery() { return Session.MayClose(); }

void TForm1::FormClose() {
    // Settings that were never read would overwrite the stored ones with defaults.
    if (settingsRead_) WriteSettings();
    Session.Closing();
}
