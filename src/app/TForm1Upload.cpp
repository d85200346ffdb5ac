// Storage upload: one sensor's stored record comes into the record in
// memory, with a progress panel over the trend view, the optional event
// merge, the save and the sensor told to clear its log.
#include <QCoreApplication>
#include <QVBoxLayout>

#include "app/StringTable.h"
#include "app/TForm1.h"
#include "data/RecordSummary.h"
#include "link/BleCentral.h"
#include "link/Commands.h"
#include "link/Connection.h"
#include "link/LinkOperations.h"

void TForm1::BuildUploadPanel() {
    auto* layout = new QVBoxLayout(UploadPanel);
    UploadLabel1 = new QLabel(UploadPanel);
    UploadLabel2 = new QLabel(UploadPanel);
    UploadLabel3 = new QLabel(UploadPanel);
    UploadProgressBar = new QProgressBar(UploadPanel);
    UploadProgressBar->setRange(0, 100);
    UploadOkButton = new QPushButton(QStringLiteral("OK"), UploadPanel);
    UploadOkButton->setDefault(true);
    for (QWidget* line : {static_cast<QWidget*>(UploadLabel1), static_cast<QWidget*>(UploadLabel2),
                          static_cast<QWidget*>(UploadLabel3), static_cast<QWidget*>(UploadProgressBar)})
        layout->addWidget(line);
    layout->addWidget(UploadOkButton, 0, Qt::AlignHCenter);
    UploadPanel->resize(400, 170);
}

void TForm1::UploadButtonClick() {
    const int row = DrawGrid1->currentRow();
    if (row <= 0 || row >= DrawGrid1->rowCount() - 1) return;
    const ADV_DATA_TYPE& entry = Devices[row - 1];
    if (entry.id.isEmpty() || entry.meas || entry.count == 0) return;

    Link.TargetDeviceName = entry.id;
    UploadRequest = true;
    SetBusyCursor(true);
    // Straight to the real-time page, without the page change's own steps:
    // the discovery under way ends there and starts the upload.
    const QSignalBlocker quiet(PageControl1);
    PageControl1->setCurrentIndex(0);
}

void TForm1::UploadStart() {
    if (!Connect(Link, central_)) return;

    Store.CheckSensorsMode = false;
    Store.UploadTotal = 0;
    Decoder.RxPacketLength = 0;
    ResetRecord(Store);
    ClearTrendViewForNewRecord();
    Store.DataSaved = true;
    Store.RecordFull = false;
    Store.SequenceGap = false;
    Store.ReceivedDeviceId.clear();
    Store.UploadActive = true;

    SendGetLogStart(Link, central_, Supervision);

    UploadOkButtonTag = 1;
    UploadLabel1->setText(MsgUploading);
    UploadLabel2->clear();
    UploadLabel3->clear();
    UploadOkButton->setText(QStringLiteral("Cancel"));
    UploadOkButton->setEnabled(true);
    UploadProgressBar->hide();
    UploadPanel->move((Panel1->width() - UploadPanel->width()) / 2, (Panel1->height() - UploadPanel->height()) / 2);
    UploadPanel->show();
    UploadPanel->raise();
    UploadOkButton->setFocus();

    ConnectButton->setEnabled(false);
    GroupBox1->setEnabled(false);
    GroupBox4->setEnabled(false);
    PageControl1->setTabVisible(1, false);
    O1->setEnabled(false);
}

void TForm1::UpdateProgress() {
    const int32_t received = Store.SampleCount;
    const int32_t total = Store.UploadTotal;
    const int percent = total > 0 ? static_cast<int>(int64_t(received) * 100 / total) : 0;
    auto counts = [&](const char* outcome) {
        return QStringLiteral("%1/%2  %3% %4").arg(received).arg(total).arg(percent).arg(QLatin1String(outcome));
    };

    if (total == 0) {
        Store.UploadActive = false;
        UploadLabel1->setText(MsgUploadCompleted);
        UploadLabel2->setText(MsgNoDataRecorded);
        UploadOkButtonTag = 0;
        UploadOkButton->setText(QStringLiteral("OK"));
        return;
    }
    if (received >= total) {
        Store.UploadActive = false;
        UploadLabel1->setText(MsgUploadCompleted);
        UploadLabel2->setText(QStringLiteral("%1/%2  100% Received.").arg(received).arg(total));
        UploadProgressBar->setValue(UploadProgressBar->maximum());
        if (received != 0 && UploadLabel3->text().isEmpty()) SaveUploadedRecord(true);
        UploadOkButtonTag = 0;
        UploadOkButton->setText(QStringLiteral("OK"));
        UploadOkButton->setEnabled(true);
        return;
    }
    if (Store.SequenceGap) {
        Store.UploadActive = false;
        SendGetLogCancel(Link, central_, clock_);
        UploadLabel1->setText(MsgUploadCommunicationError);
        UploadLabel2->setText(counts("Aborted."));
        if (received != 0) Store.RecordDeviceId = Store.ReceivedDeviceId;
        UploadOkButtonTag = 0;
        UploadOkButton->setText(QStringLiteral("OK"));
        UploadOkButton->setEnabled(true);
        return;
    }
    if (UploadOkButtonTag == 0) {
        UploadLabel2->setText(counts("Aborted."));
        if (received != 0 && UploadLabel3->text().isEmpty()) {
            SaveUploadedRecord(false);
            Store.DataSaved = true;  // the sensor keeps its log: nothing is lost
        }
    } else {
        UploadLabel2->setText(counts("Received."));
    }
    UploadProgressBar->show();
    UploadProgressBar->setValue(percent);
}

// The merge (when asked for) and the save of an ended upload; the sensor's
// log is cleared only after a complete upload was saved.
void TForm1::SaveUploadedRecord(bool clearSensorLog) {
    Store.RecordDeviceId = Store.ReceivedDeviceId;
    UploadOkButton->setEnabled(false);
    SetBusyCursor(true);
    QCoreApplication::processEvents();
    if (MergeCheckBox->isChecked()) MergeEventLog(true);
    Store.DataSaved = false;
    SetBusyCursor(false);
    if (SaveRecord()) {
        UploadLabel3->setText(SavedFileName + MsgCreatedSuffix);
        if (clearSensorLog) SendLogClear(Link, central_, clock_);
    }
    UploadOkButton->setEnabled(true);
}

void TForm1::UploadOkButtonClick() {
    if (UploadOkButtonTag == 1) {
        Store.UploadActive = false;
        UploadOkButton->setEnabled(false);
        QCoreApplication::processEvents();
        SendGetLogCancel(Link, central_, clock_);
        UploadLabel1->setText(MsgUploadAborted);
        UploadOkButtonTag = 0;
        UploadOkButton->setText(QStringLiteral("OK"));
        UpdateProgress();
        UploadOkButton->setEnabled(true);
        return;
    }
    FinishUpload();
}

void TForm1::FinishUpload() {
    Store.UploadActive = false;
    Disconnect(Link, central_);
    const int32_t received = Store.SampleCount;
    SetScrollRangeForRecord();
    if (received != 0) {
        Store.InitPointsEditable = true;
        E1->setEnabled(true);
        StatusLine->setText(RecordSummaryText(Store));
    } else {
        Store.InitPointsEditable = false;
        E1->setEnabled(false);
    }
    ConnectButton->setEnabled(true);
    GroupBox2->hide();
    GroupBox1->show();
    GroupBox1->setEnabled(true);
    GroupBox4->setEnabled(true);
    PageControl1->setTabVisible(1, true);
    O1->setEnabled(true);
    S1->setEnabled(!Store.DataSaved);
    C1->setEnabled(Store.InitPointsEditable);
    UploadPanel->hide();
    View.CursorChannel = -1;
    View.CursorIndex = -1;
    RepaintTrend();
}
