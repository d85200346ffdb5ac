#include <QCloseEvent>
#include <QShowEvent>

#include "prompts/Prompts.h"
#include "app/StringTable.h"
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

bool TForm1::FormCloseQuery() {
    if (ConnectButtonTag == 1) {
        prompts_.Notice(MsgDisconnectToTerminate);
        return false;
    }
    if (!Store.DataSaved) {
        if (!prompts_.AskYesNo(MsgExitWithoutSaving)) return false;
        Store.DataSaved = true;
    }
    prompts_.Notice(MsgTurnOffDevice);
    return true;
}

void TForm1::FormClose() {
    // Settings that were never read would overwrite the stored ones with defaults.
    if (settingsRead_) WriteSettings();
    CloseExternalInput();
}
