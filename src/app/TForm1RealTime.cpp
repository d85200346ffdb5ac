// The real-time measurement: the "Start"/"End" button and the part of the
// end-of-discovery dispatcher that opens the connection dialog.
#include <QApplication>

#include "app/ControlStyle.h"
#include "prompts/Prompts.h"
#include "app/StringTable.h"
#include "app/TForm1.h"
#include "app/TForm2.h"
#include "data/RecordSummary.h"
#include "link/BleCentral.h"
#include "link/Commands.h"
#include "link/Connection.h"

void TForm1::ConnectButtonClick() {
    if (ConnectButtonTag == 0) StartMeasurement();
    else EndMeasurement();
}

void TForm1::StartMeasurement() {
    if (Store.SampleCount != 0 && !Store.DataSaved && !prompts_.AskYesNo(MsgDiscardUnsavedData)) return;

    Store.InitPointsEditable = false;
    EndReviewAndOverview();
    ConnectButton->setEnabled(false);
    Supervision.LinkLost = false;
    Store.SequenceGap = false;
    SetBusyCursor(true);
    QCoreApplication::processEvents();

    // A discovery under way, or the watchdog's cancel of it, ends with the
    // event that continues this flow.
    if (Timer2->isActive()) return;
    if (!StartDiscovery()) {
        ConnectButton->setEnabled(true);
        SetBusyCursor(false);
    }
}

bool TForm1::StartDiscovery() {
    QString error;
    if (!central_.DiscoverDevices(5000, &error)) return false;
    StartDiscoveryWatchdog();
    return true;
}

// The scan of a "Start" click has ended: offer the sensors, then connect.
void TForm1::ChooseSensorAndConnect() {
    ConnectButton->setEnabled(true);
    const std::optional<ConnectionChoice> choice = prompts_.ConnectionSettings(OfferConnection(Link.ScanDeviceList));
    if (!choice) return;

    RateIndex = choice->rateItem + 1;
    Link.TargetDeviceName = choice->deviceName;
    Store.CheckSensorsMode = choice->checkSensors;

    if (!OpenExternalInputForStart(AuxinCheckBox, AuxPortEdit)) return;
    if (!Connect(Link, central_)) {
        CloseExternalInput();
        return;
    }

    Store.RecordRateIndex = RateIndex;
    Store.RecordDeviceId = Link.TargetDeviceName;
    SendStart(Link, central_, Supervision, Store.RecordRateIndex, Store.CheckSensorsMode);
    SetColour(MsgPanel, QPalette::Window, palette().color(QPalette::Button));
    MsgPanel->setText(MsgConnecting);
    MsgPanel->show();
    ConnectButton->setText(QStringLiteral("End"));
    ConnectButton->setToolTip(HintDisconnect);
    ConnectButtonTag = 1;
    ResetButton->setEnabled(true);
    O1->setEnabled(false);
    S1->setEnabled(false);
    C1->setEnabled(false);
    PageControl1->setTabVisible(1, false);

    ResetRecordForMeasurement();

    GroupBox1->setVisible(!Store.CheckSensorsMode);
    if (Store.CheckSensorsMode) GroupBox3->hide();
    GroupBox2->setVisible(Store.CheckSensorsMode);
    RepaintTrend();
}

ConnectionOffer TForm1::OfferConnection(const QList<BleDevicePtr>& devices) const {
    ConnectionOffer offer;
    offer.deviceNames = ConnectableDeviceNames(devices);
    offer.preselected = offer.deviceNames.indexOf(Link.TargetDeviceName);
    offer.rateItem = RateIndex - 1;
    return offer;
}

void TForm1::ResetRecordForMeasurement() {
    Decoder.RxPacketLength = 0;
    ResetRecord(Store);
    Store.ReceivedDeviceId.clear();
    Store.DataSaved = true;
    Store.RecordFull = false;
    Supervision.PendingEvent = 0;
    ClearTrendViewForNewRecord();
}

void TForm1::EndMeasurement() {
    EndReviewAndOverview();
    ConnectButton->setEnabled(false);
    Supervision.SilenceTicks = 0;
    SetBusyCursor(true);
    QCoreApplication::processEvents();

    SendStop(Link, central_, Supervision, clock_);

    if (!Store.CheckSensorsMode && Store.SampleCount != 0) {
        E1->setEnabled(true);
        Store.RecordDeviceId = Store.ReceivedDeviceId;
        Store.DataSaved = false;
        StatusLine->setText(RecordSummaryText(Store));
    } else {
        E1->setEnabled(false);  // a sensor check is never kept for saving
    }

    if (!Store.DataSaved) {
        SetBusyCursor(false);
        SaveRecordAndTell();
    }
    S1->setEnabled(!Store.DataSaved);
    SetScrollRangeForRecord();

    ConnectButtonTag = 0;
    ConnectButton->setText(QStringLiteral("Start"));
    ConnectButton->setToolTip(HintConnect);
    MsgPanel->hide();
    ConnectButton->setEnabled(true);
    ResetButton->setEnabled(false);
    SetBusyCursor(false);
    O1->setEnabled(true);
    PageControl1->setTabVisible(1, true);
}

void TForm1::SetBusyCursor(bool busy) {
    if (busy == busyCursor_) return;
    busyCursor_ = busy;
    if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
    else QApplication::restoreOverrideCursor();
}
