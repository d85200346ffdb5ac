#include "session/AcquisitionSession.h"

#include <QCoreApplication>
#include <QDir>

#include "data/Clock.h"
#include "data/RecordSummary.h"
#include "session/StringTable.h"
#include "session/Diagnostics.h"
#include "view/TrendInteraction.h"


namespace {

std::vector<std::unique_ptr<Sensor>> FirstSensor(SensorOwner& owner, const Clock& clock, const TrendViewState& view,
                                                 const QString& folder) {
    std::vector<std::unique_ptr<Sensor>> sensors;
    sensors.push_back(std::make_unique<Sensor>(owner, clock, view, folder));
    return sensors;
}

}  // namespace

AcquisitionSession::AcquisitionSession(const SessionDependencies& dependencies)
    : sensors_(FirstSensor(*this, dependencies.clock, View, dependencies.dataFolder)),
      Store(sensors_.front()->Store),
      Link(sensors_.front()->Link),
      Decoder(sensors_.front()->Decoder),
      SampleDecoder(sensors_.front()->SampleDecoder),
      Supervision(sensors_.front()->Supervision),
      central_(dependencies.central),
      prompts_(dependencies.prompts),
      clock_(dependencies.clock),
      diskWriter_(dependencies.dataFolder, dependencies.syncFile) {
    connect(&diskWriter_, &DiskWriter::JournalWritten, this, &AcquisitionSession::JournalWritten);
    connect(&diskWriter_, &DiskWriter::EventLogWritten, this, &AcquisitionSession::EventLogWritten);
    connect(&diskWriter_, &DiskWriter::RecordFileWritten, this, &AcquisitionSession::RecordFileWritten);
    connect(&diskWriter_, &DiskWriter::SnirfFileWritten, this, &AcquisitionSession::SnirfFileWritten);
    EventLogFileName = dependencies.eventLogFileName;
    DataFolder = dependencies.dataFolder;
    if (!QDir().mkpath(DataFolder))  // the save dialog then starts elsewhere
        qCWarning(lcSession) << "cannot create the data folder" << DataFolder;

    WUni232c1.BaudRate = 9600;  // the event box's line: 9600 baud, 8N1, no flow control
    ResetDeviceTable(Devices);
}

AcquisitionSession::~AcquisitionSession() { CloseExternalInput(); }

SessionMode AcquisitionSession::Mode() const {
    if (save_.active) return SessionMode::Saving;
    if (remotePass_.active) return SessionMode::RemotePass;
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

// The storage page stays in use until its sensors were switched off after
// the event log: the off pass runs at the end of its next scan.
bool AcquisitionSession::StorageModeActive() const {
    return CurrentPage == 1 || StartButtonTag() == 1 || RemoteOffRequest || remotePass_.active;
}

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
    FlowInput input(*this, "the discovery watchdog");
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
    ShowRecordEnd(View, Shown().Store.SampleCount);
    view_->RenderTrendView();
}

bool AcquisitionSession::MarkEvent(int event) {
    FlowInput input(*this, "a key's mark");
    PendingEvent = event;
    pendingEventTime_ = clock_.Now();
    return MarksTaken();
}

bool AcquisitionSession::MarksTaken() const { return ConnectButtonTag() == 1 || StartButtonTag() == 1; }

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

// Every input the session takes is handled to its end before the next: no
// handler waits, so none runs inside another. One that does came through a
// nested event loop, which lets a flow run inside another's wait.
AcquisitionSession::FlowInput::FlowInput(AcquisitionSession& session, const char* name) : session_(session) {
    const QList<const char*>& inputs = session_.inputs_;
    // A script may answer a question within the call that asked it, and the
    // writer thread's reports are taken in where the disk is waited for.
    const bool mayNest = qstrcmp(name, "an answer") == 0 || qstrcmp(name, "the disk's report") == 0;
    if (!inputs.isEmpty() && !mayNest)
        qCWarning(lcSession).nospace() << "re-entered: " << name << " was handled inside " << inputs.constLast();
    session_.inputs_.append(name);
}

AcquisitionSession::FlowInput::~FlowInput() { session_.inputs_.removeLast(); }

bool AcquisitionSession::ClickAllowed(const char* what) const {
    if (!asking_) return true;
    qCInfo(lcSession) << what << "refused: a question waits for its answer";
    return false;
}

Sensor* AcquisitionSession::SensorOfDevice(const BleDevicePtr& device) {
    if (!device) return nullptr;
    // First: a sensor the record in memory was taken from may be uploaded again.
    for (const UploadAllRun::Upload& upload : uploadAll_.uploads)
        if (upload.sensor->Link.ActiveDevice == device) return upload.sensor.get();
    for (const auto& sensor : sensors_)
        if (sensor->Link.ActiveDevice == device) return sensor.get();
    return nullptr;
}

bool AcquisitionSession::AnyRecordUnsaved() const {
    for (const auto& sensor : sensors_)
        if (!sensor->Store.DataSaved) return true;
    return false;
}

bool AcquisitionSession::AnyRecordToLose() const {
    for (const auto& sensor : sensors_)
        if (sensor->Store.SampleCount != 0 && !sensor->Store.DataSaved) return true;
    return false;
}

void AcquisitionSession::KeepOnlyTheFirstSensor() {
    for (size_t i = 1; i < sensors_.size(); ++i) EndJournal(*sensors_[i]);
    sensors_.resize(1);
    shown_ = 0;
    view_->RenderSensors();
}

void AcquisitionSession::ShowSensor(int index) {
    FlowInput input(*this, "the choice of a sensor to show");
    if (index < 0 || index >= SensorCount() || index == shown_) return;
    shown_ = index;
    EndReviewAndOverview();
    // The status bar speaks of the sensor shown.
    const SampleStore& store = Shown().Store;
    if (Live()) {
        const bool away = Shown().Phase == SensorPhase::Scanning || Shown().Phase == SensorPhase::Relinking;
        if (store.SampleCount > 0)
            view_->ShowStatusText(LiveStatusText(store, away ? MsgReconnecting : QStringLiteral("Measuring...")));
    } else {
        ShowRecordEndInView();
        if (store.SampleCount > 0) view_->ShowStatusText(RecordSummaryText(store));
    }
    view_->RenderSensors();
    view_->RepaintTrend();
}

bool AcquisitionSession::PacketsWanted(const Sensor& sensor) const {
    return (Measuring() && sensor.Phase == SensorPhase::Streaming) || sensor.Store.UploadActive;
}

void AcquisitionSession::UploadProgressed(Sensor& sensor) {
    if (UploadAllRun::Upload* upload = UploadOfSensor(sensor)) UploadAllProgressed(*upload);
    else UpdateProgress();
}

void AcquisitionSession::RecordGrew(Sensor& sensor) {
    if (&sensor == &Shown()) view_->RepaintTrend();
}

void AcquisitionSession::RecordStatusText(Sensor& sensor, const QString& text) {
    if (&sensor == &Shown()) view_->ShowStatusText(text);
}

std::unique_ptr<Sensor> AcquisitionSession::NewSensor() {
    return std::make_unique<Sensor>(static_cast<SensorOwner&>(*this), clock_, View, DataFolder);
}
