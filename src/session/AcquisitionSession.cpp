#include "session/AcquisitionSession.h"

#include <QCoreApplication>
#include <QDir>

#include "data/Clock.h"
#include "session/Diagnostics.h"
#include "view/TrendInteraction.h"


AcquisitionSession::AcquisitionSession(const SessionDependencies& dependencies)
    : SampleDecoder(PacketDecoderContext{Store, Supervision, Link.TargetDeviceName, View.LiveReview, View.EntireView,
                                         dependencies.clock, *this}),
      central_(dependencies.central),
      prompts_(dependencies.prompts),
      clock_(dependencies.clock),
      waitStep_(dependencies.waitStep),
      journalChanges_(dependencies.dataFolder),
      diskWriter_(dependencies.dataFolder, dependencies.syncFile) {
    connect(&diskWriter_, &DiskWriter::JournalWritten, this, &AcquisitionSession::JournalWritten);
    connect(&diskWriter_, &DiskWriter::EventLogWritten, this, &AcquisitionSession::EventLogWritten);
    EventLogFileName = dependencies.eventLogFileName;
    DataFolder = dependencies.dataFolder;
    if (!QDir().mkpath(DataFolder))  // the save dialog then starts elsewhere
        qCWarning(lcSession) << "cannot create the data folder" << DataFolder;

    WUni232c1.BaudRate = 9600;  // the event box's line: 9600 baud, 8N1, no flow control

    Store.DataSaved = true;
    ResetRecord(Store);
    Store.RecordFull = false;
    Store.SequenceGap = false;
    Decoder.RxPacketLength = 0;
    Link.DeviceLinkReady = false;
    Supervision = {};
    ResetDeviceTable(Devices);
}

AcquisitionSession::~AcquisitionSession() { CloseExternalInput(); }

SessionMode AcquisitionSession::Mode() const {
    if (!operations_.isEmpty()) return operations_.constLast();
    if (activity_ == SessionMode::Idle && StorageModeActive()) return SessionMode::StorageCycle;
    return activity_;
}

void AcquisitionSession::ChangeMode(SessionMode next) {
    if (next == activity_) return;
    if (!ModeChangeAllowed(activity_, next))
        qCWarning(lcSession) << "unexpected mode change from" << SessionModeName(activity_) << "to" << SessionModeName(next);
    activity_ = next;
    qCDebug(lcSession) << "mode:" << SessionModeName(Mode());
}

int AcquisitionSession::ConnectButtonTag() const {
    switch (activity_) {
        case SessionMode::Connecting:
        case SessionMode::Measuring:
        case SessionMode::SensorCheck:
        case SessionMode::ReconnectScan:
        case SessionMode::ReconnectLink:
            return 1;
        default:
            return 0;
    }
}

int AcquisitionSession::StartButtonTag() const { return activity_ == SessionMode::EventLog ? 1 : 0; }

int AcquisitionSession::UploadOkButtonTag() const { return activity_ == SessionMode::Uploading ? 1 : 0; }

bool AcquisitionSession::Doing(SessionMode mode) const { return operations_.contains(mode); }

AcquisitionSession::Operation::Operation(AcquisitionSession& session, SessionMode mode) : session_(session) {
    session_.operations_.append(mode);
    qCDebug(lcSession) << "mode:" << SessionModeName(mode);
}

AcquisitionSession::Operation::~Operation() {
    session_.operations_.removeLast();
    qCDebug(lcSession) << "mode:" << SessionModeName(session_.Mode());
}

bool AcquisitionSession::StorageModeActive() const { return CurrentPage == 1 || StartButtonTag() == 1; }

void AcquisitionSession::SetBusy(bool busy) {
    if (Controls.Busy == busy) return;
    Controls.Busy = busy;
    view_->Render();
}

bool AcquisitionSession::StartDiscovery() {
    QString error;
    if (!central_.DiscoverDevices(5000, &error)) {
        qCWarning(lcLink) << "a scan could not start:" << error;
        return false;
    }
    StartDiscoveryWatchdog();
    return true;
}

// A running watchdog keeps counting from the discovery that started it.
void AcquisitionSession::StartDiscoveryWatchdog() {
    if (DiscoveryWatchdogRunning) return;
    DiscoveryWatchdogRunning = true;
    view_->StartDiscoveryWatchdog();
}

// A discovery that overran its time is cut short; its end event follows.
void AcquisitionSession::DiscoveryWatchdogExpired() {
    DiscoveryWatchdogRunning = false;
    central_.CancelDiscovery();
}

void AcquisitionSession::EndReviewAndOverview() {
    LeaveReviewAndOverview(View);
    view_->RenderTrendView();
}

void AcquisitionSession::ClearTrendViewForNewRecord() {
    ClearViewForNewRecord(View);
    view_->RenderTrendView();
}

void AcquisitionSession::ShowRecordEndInView() {
    ShowRecordEnd(View, Store.SampleCount);
    view_->RenderTrendView();
}

bool AcquisitionSession::MarkEvent(int event) {
    Supervision.PendingEvent = event;
    return ConnectButtonTag() == 1 || StartButtonTag() == 1;
}

void AcquisitionSession::ErrorAfterHandler(const QString& text) {
    QMetaObject::invokeMethod(this, [this, text] { prompts_.Error(text); }, Qt::QueuedConnection);
}

void AcquisitionSession::NoticeAfterHandler(const QString& text) {
    QMetaObject::invokeMethod(this, [this, text] { prompts_.Notice(text); }, Qt::QueuedConnection);
}

void AcquisitionSession::SettleDiskWrites() {
    diskWriter_.WaitUntilIdle();
    // Its reports are queued for this thread: take them in now.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}
