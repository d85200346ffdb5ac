#include <QCloseEvent>
#include <QShowEvent>

#include "prompts/Prompts.h"
#include "session/StringTable.h"
#include "app/TForm1.h"

void TForm1::setVisible(bool visible) {
    // The first show reads the settings before the window exists: Qt hands a
    // place given then to the window manager as the frame's corner, while a
    // window on its way to the screen would get it for its client area and
    // come up a title bar lower than it was stored.
    if (visible && !shownOnce_) {
        shownOnce_ = true;
        FormShow();
    }
    QMainWindow::setVisible(visible);
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The trend's pane has its width once the window is laid out for showing.
    if (!event->spontaneous()) UpdateExpectedScreenSamples();
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
    if (bluetoothUnusable_.isEmpty() && !closeAgreed_ && !FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

bool TForm1::FormCloseQuery() { return Session.MayClose(); }

// The questions of closing were answered after the close request had
// returned: the window closes now, without asking again.
void TForm1::CloseWindow() {
    closeAgreed_ = true;
    close();
}

void TForm1::FormClose() {
    // Settings that were never read would overwrite the stored ones with defaults.
    if (settingsRead_) WriteSettings();
    Session.Closing();
}
