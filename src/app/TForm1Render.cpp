// Shows the session's state: enabled commands, captions that follow the
// control tags, tabs, the storage page's message and the upload panel.
#include <QApplication>

#include "app/TForm1.h"
#include "session/StringTable.h"

namespace {
void SetEnabled(QWidget* widget, bool enabled) {
    if (widget->isEnabled() != enabled) widget->setEnabled(enabled);
}
void SetEnabled(QAction* action, bool enabled) {
    if (action->isEnabled() != enabled) action->setEnabled(enabled);
}
void SetTabVisible(QTabWidget* tabs, int index, bool visible) {
    if (tabs->isTabVisible(index) != visible) tabs->setTabVisible(index, visible);
}
}  // namespace

void TForm1::Render() {
    const ControlStates& controls = Session.Controls;
    const bool live = Session.ConnectButtonTag() == 1;
    ConnectButton->setText(live ? QStringLiteral("End") : QStringLiteral("Start"));
    ConnectButton->setToolTip(live ? HintDisconnect : HintConnect);
    SetEnabled(ConnectButton, controls.ConnectEnabled);
    SetEnabled(ResetButton, controls.ResetEnabled);
    SetEnabled(O1, controls.OpenEnabled);
    SetEnabled(S1, controls.SaveEnabled);
    SetEnabled(ExportSnirf1, Session.ExportAllowed());
    SetEnabled(ExportBids1, Session.ExportAllowed());
    SetEnabled(E1, controls.EditEnabled);
    SetEnabled(C1, controls.ClearInitPointsEnabled);
    SetEnabled(GroupBox1, controls.ViewControlsEnabled);
    SetEnabled(GroupBox4, controls.ViewControlsEnabled);
    SetTabVisible(PageControl1, 0, controls.RealTimeTabVisible);
    SetTabVisible(PageControl1, 1, controls.StorageTabVisible);

    const bool logging = Session.StartButtonTag() == 1;
    StartButton->setText(logging ? QStringLiteral("End") : QStringLiteral("Start"));
    StartButton->setToolTip(logging ? HintFinishEventLog : HintStartEventLog);
    SetEnabled(StartButton, controls.StartEnabled);
    SetStorageControlsEnabled(controls.StorageControlsEnabled);
    UploadAllButton->setText(Session.UploadAllButtonCancels() ? QStringLiteral("Cancel") : QStringLiteral("Upload all"));
    SetEnabled(UploadAllButton, Session.UploadAllEnabled());
    SetEnabled(MergeCheckBox, controls.MergeEnabled);
    MsgPanel2->setText(controls.StorageMessage);
    MsgPanel2->setVisible(!controls.StorageMessage.isEmpty());

    RenderUploadPanel();
    SetBusyCursor(controls.Busy);
}

void TForm1::RenderUploadPanel() {
    const UploadPanelState& panel = Session.UploadPanel;
    if (!panel.Visible) {
        UploadPanel->hide();
        return;
    }
    UploadLabel1->setText(panel.Line1);
    UploadLabel2->setText(panel.Line2);
    UploadLabel3->setText(panel.Line3);
    UploadProgressBar->setVisible(panel.ProgressVisible);
    UploadProgressBar->setValue(panel.ProgressPercent);
    UploadOkButton->setText(Session.UploadButtonCancels() ? QStringLiteral("Cancel") : QStringLiteral("OK"));
    SetEnabled(UploadOkButton, panel.OkEnabled);
    if (UploadPanel->isHidden()) {
        UploadPanel->move((Panel1->width() - UploadPanel->width()) / 2,
                          (Panel1->height() - UploadPanel->height()) / 2);
        UploadPanel->show();
        UploadPanel->raise();
        UploadOkButton->setFocus();
    }
}

void TForm1::SetStorageControlsEnabled(bool enabled) {
    for (QWidget* control : {static_cast<QWidget*>(RateComboBox), static_cast<QWidget*>(AdvDataComboBox),
                             static_cast<QWidget*>(AuxinCheckBox2), static_cast<QWidget*>(UploadButton),
                             static_cast<QWidget*>(OffButton)})
        SetEnabled(control, enabled);
}

void TForm1::SetBusyCursor(bool busy) {
    if (busy == busyCursor_) return;
    busyCursor_ = busy;
    if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
    else QApplication::restoreOverrideCursor();
}

void TForm1::ShowStatusText(const QString& text) { StatusLine->setText(text); }

UserChoices TForm1::Choices() const {
    UserChoices choices;
    choices.realTimeAuxin = AuxinCheckBox->isChecked();
    choices.realTimePort = AuxPortEdit->text();
    choices.storageAuxin = AuxinCheckBox2->isChecked();
    choices.storagePort = AuxPortEdit2->text();
    choices.storageRateItem = RateComboBox->currentIndex();
    choices.advertisedValueItem = AdvDataComboBox->currentIndex();
    choices.mergeAfterUpload = MergeCheckBox->isChecked();
    return choices;
}
