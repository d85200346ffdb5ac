// Storage mode's event log: the "Start"/"End" button of the storage page,
// and the remote start and stop of the sensors that the scanning cycle runs
// at the end of each discovery.
#include <QCoreApplication>

#include "prompts/Prompts.h"
#include "app/StringTable.h"
#include "app/TForm1.h"
#include "data/Clock.h"
#include "data/OleDate.h"
#include "link/BleCentral.h"
#include "link/Commands.h"
#include "link/Connection.h"
#include "link/LinkOperations.h"

namespace {
constexpr int ReplyWaitSeconds = 10;
}

void TForm1::StartButtonClick() {
    if (StartButtonTag == 0) StartEventLog();
    else FinishEventLog();
}

void TForm1::StartEventLog() {
    bool unuploaded = false;
    for (int i = 0; i < OccupiedCount(Devices); ++i)
        if (!Devices[i].meas && Devices[i].count != 0) unuploaded = true;
    if (unuploaded && !prompts_.AskOkCancel(MsgUnuploadedDataLost)) return;

    if (!OpenExternalInputForStart(AuxinCheckBox2, AuxPortEdit2)) return;

    for (auto& entry : Devices) entry.wf = false;
    StartButton->setText(QStringLiteral("End"));
    StartButtonTag = 1;
    StartButton->setToolTip(HintFinishEventLog);
    PageControl1->setTabVisible(0, false);
    SetStorageControlsEnabled(false);
    LogMemo->clear();
    LogMemo->appendPlainText(FormatClockTime(clock_.Now()) + QStringLiteral("  Log started."));
}

void TForm1::FinishEventLog() {
    CloseExternalInput();
    StartButton->setText(QStringLiteral("Start"));
    StartButtonTag = 0;
    StartButton->setToolTip(HintStartEventLog);
    PageControl1->setTabVisible(0, true);
    SetStorageControlsEnabled(true);
    LogMemo->appendPlainText(FormatClockTime(clock_.Now()) + QStringLiteral("  Log ended."));
    StartButton->setEnabled(false);
    RemoteOffRequest = true;
    MsgPanel2->setText(MsgProcessing);
    MsgPanel2->show();
}

void TForm1::SetStorageControlsEnabled(bool enabled) {
    for (QWidget* control : {static_cast<QWidget*>(RateComboBox), static_cast<QWidget*>(AdvDataComboBox),
                             static_cast<QWidget*>(AuxinCheckBox2), static_cast<QWidget*>(UploadButton),
                             static_cast<QWidget*>(OffButton)})
        control->setEnabled(enabled);
}

void TForm1::OffButtonClick() {
    if (!RemoteOffRequest) RemoteOffRequest = true;
}

void TForm1::WaitStep() {
    if (waitStep_) waitStep_();
    else QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

bool TForm1::SendRemoteCommand(const std::function<bool()>& keepWaiting, const std::function<void()>& onRequested) {
    Decoder.ReplyReceived = false;
    if (!Connect(Link, central_)) return false;
    QString error;
    if (!central_.Connect(Link.ActiveDevice, &error)) return false;
    if (onRequested) onRequested();

    SetBusyCursor(true);
    const int64_t start = OleDateToMilliseconds(clock_.Now());
    while ((OleDateToMilliseconds(clock_.Now()) - start) / 1000 < ReplyWaitSeconds && keepWaiting() &&
           !Decoder.ReplyReceived)
        WaitStep();
    // A connection that never came up is called off too, or the sensor
    // could connect later, stay connected and stop advertising.
    if (Link.DeviceLinkReady) Disconnect(Link, central_);
    else central_.Disconnect(Link.ActiveDevice);
    SetBusyCursor(false);
    return true;
}

void TForm1::RemoteStart() {
    Link.PendingCommand = RemoteStartCommandText(RateComboBox->currentIndex(), AdvDataComboBox->currentIndex());
    for (int i = 0; i < DeviceTableSize; ++i) {
        if (StartButtonTag != 1 || Devices[i].id.isEmpty()) break;
        ADV_DATA_TYPE& entry = Devices[i];
        if (!entry.rf) continue;
        if (!entry.wf && !entry.meas) {
            Link.TargetDeviceName = entry.id;
            // The entry is found again by name: the table may be reordered by
            // advertisements that arrive while the pass waits.
            const QString id = entry.id;
            SendRemoteCommand([this] { return StartButtonTag == 1; },
                              [this, id] {
                                  for (auto& e : Devices)
                                      if (e.id == id) e.wf = true;
                              });
        } else if (entry.wf && entry.meas) {
            entry.wf = false;
        }
    }
}

void TForm1::RemoteOffAll() {
    for (int i = 0; i < DeviceTableSize && !Devices[i].id.isEmpty(); ++i) {
        if (!Devices[i].meas && !Devices[i].wf) continue;
        const QString id = Devices[i].id;
        RemoteOff(id);
        for (auto& entry : Devices)
            if (entry.id == id) entry.wf = false;
    }
}

void TForm1::RemoteOff(const QString& id) {
    Link.PendingCommand = RemoteOffCommand;
    Link.TargetDeviceName = id;
    SendRemoteCommand([] { return true; }, {});
}
