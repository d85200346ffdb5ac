#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "data/PacketDecoder.h"
#include "data/SampleStore.h"
#include "data/SupervisionState.h"
#include "journal/JournalFormat.h"
#include "journal/JournalChanges.h"
#include "journal/JournalFile.h"
#include "link/BleCentral.h"
#include "link/Framing.h"
#include "link/LinkState.h"
#include "prompts/Prompts.h"
#include "serial/ExternalInput.h"
#include "serial/WUni232c.h"
#include "session/ControlStates.h"
#include "session/DiskWriter.h"
#include "session/ExportChoices.h"
#include "session/Sensor.h"
#include "session/SessionMode.h"
#include "session/SessionView.h"
#include "session/UploadAll.h"
#include "storage/DeviceTable.h"
#include "view/ViewState.h"

class Clock;
class Prompts;

// What the session is given rather than finds for itself, so tests can run
// it with simulated sensors, scripted prompts, a set clock and a temporary
// folder in place of the program's own.
struct OpenRecordOutcome;

struct SessionDependencies {
    BleCentral& central;
    Prompts& prompts;
    Clock& clock;
    QString eventLogFileName;  // the PC's event log of numbered events
    QString dataFolder;        // where records are saved; made when missing
    // Makes a written file durable; empty: fdatasync. Tests slow the disk down here.
    SyncFunction syncFile;
};

// The acquisition session: the sensors it measures (each with its link,
// supervision and record), the storage page's device table and the one mode
// the program is in. All records of a measurement share one timeline and
// one clock. Its inputs are events (clicks forwarded by the window, the central's
// events, timer ticks, keys, the answers to its questions); its outputs are
// its state, which the window shows, and the calls of its SessionView.
// No input waits: a wait for a sensor, a disk or a person is a mode that the
// next event moves on, so one input is handled at a time. Flows live in files
// of their own: real-time, dispatch of the central's events, supervision,
// the storage page's event log and remote pass, upload, and record files.
class AcquisitionSession : public QObject, private SensorOwner {
    Q_OBJECT

    // First: the names below refer into the first sensor, which lives as
    // long as the session; further sensors come and go with measurements.
    std::vector<std::unique_ptr<Sensor>> sensors_;

public:
    static constexpr int MaxSensors = 4;  // measured together

    explicit AcquisitionSession(const SessionDependencies& dependencies);
    ~AcquisitionSession() override;

    void SetView(SessionView* view) { view_ = view ? view : &noView_; }

    // --- State ------------------------------------------------------------------
    // The sensors of the last measurement (one outside it), in the order
    // they were chosen; the first is the one an upload or a file uses.
    int SensorCount() const { return static_cast<int>(sensors_.size()); }
    Sensor& SensorAt(int index) { return *sensors_[static_cast<size_t>(index)]; }
    const Sensor& SensorAt(int index) const { return *sensors_[static_cast<size_t>(index)]; }
    // The sensor whose record the trend shows; the window chooses it.
    int ShownSensor() const { return shown_; }
    Sensor& Shown() { return SensorAt(shown_); }
    const Sensor& Shown() const { return SensorAt(shown_); }
    void ShowSensor(int index);
    // The first sensor's record, link and decoding.
    SampleStore& Store;
    LinkState& Link;
    FrameDecoder& Decoder;
    PacketDecoder& SampleDecoder;
    SupervisionState& Supervision;
    TrendViewState View;
    DeviceTable Devices;
    // A key's or the event box's mark for the next tick to take (+N started,
    // -N ended, 0 none).
    int32_t PendingEvent = 0;
    TWUni232c WUni232c1;  // the external event input
    ExternalInputParser ExternalInput;
    int RateIndex = 0;  // real-time rate preselected in the connection dialog
    // The control tags, from the mode: 1 while a real-time measurement runs
    // (connecting, measuring, reconnecting), 1 while the storage-mode event
    // log runs, 1 while an upload runs.
    int ConnectButtonTag() const;
    int StartButtonTag() const;
    int UploadOkButtonTag() const;
    // Storage mode: a request carried out by the next end of a discovery.
    bool RemoteOffRequest = false;

    QString SavedFileName;  // the last file a record was saved to, without folder
    ExportChoices Exports;  // what the exports remember; the window keeps it in the settings file
    QString EventLogFileName;
    QString DataFolder;

    // What the program is doing: a save or a remote pass under way, if any,
    // otherwise the activity.
    SessionMode Mode() const;
    // A question waits for the user's answer; clicks are refused meanwhile.
    bool QuestionOpen() const { return asking_; }
    // Puts the session into an activity as if its flows had led there, for
    // tests of what the window shows and asks in it; flows never call it.
    void SetActivityForTest(SessionMode activity) { activity_ = activity; }
    ControlStates Controls;
    UploadPanelState UploadPanel;
    int CurrentPage = 0;  // 0 "Real time Mode", 1 "Storage Mode"
    bool DiscoveryWatchdogRunning = false;

    // --- Inputs -----------------------------------------------------------------
    // Real-time page.
    void ConnectButtonClicked();
    // Storage page.
    void StartButtonClicked();
    void OffButtonClicked();
    // The grid row (1 is the first sensor) whose stored record to upload.
    void UploadButtonClicked(int row);
    void UploadOkButtonClicked();
    // The upload panel's button calls off what runs: a wait for the scan, or the upload.
    bool UploadButtonCancels() const;
    // "Upload all": every paired sensor that waits with stored samples is
    // uploaded, up to UploadParallel at once, each saved in the data folder
    // without a question; a click while it runs is Cancel.
    void UploadAllButtonClicked();
    // The same into a folder, for a flow without a window; done gets what
    // was done instead of the message. The storage page must be in use.
    void UploadAllInto(const QString& folder, std::function<void(const UploadAllOutcome&)> done);
    bool UploadAllButtonCancels() const;
    bool UploadAllEnabled() const;
    // Where a sensor stands in the last Upload all, for its row.
    UploadAllProgress UploadAllProgressOf(const QString& name) const;
    // What the last Upload all did so far.
    const UploadAllOutcome& UploadAllSoFar() const { return uploadAll_.outcome; }
    static constexpr int MaxUploadParallel = 8;
    int UploadParallel = 3;  // uploads at once in Upload all, 1 to MaxUploadParallel
    // The page shown changed (0 real time, 1 storage) by the user; false
    // when the change is refused and the page in front must stay CurrentPage.
    bool PageChanged(int page);
    // Files and the Edit menu.
    void SaveClicked();
    void OpenClicked();
    void ExportSnirfClicked();
    void ExportBidsClicked();
    // A record with samples can be exported while nothing replaces or
    // changes it: not while it is saved, measured, uploaded or started.
    bool ExportAllowed() const;
    void MergeClicked();
    void ClearInitPointsClicked();
    void ValueInitializationClicked();
    // The pointer on the trend (the trend box's size for a release, which
    // places the sample cursor and decides on Value-Initialization).
    void TrendPressed(Qt::MouseButton button, int x, int y);
    void TrendMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);
    void TrendReleased(Qt::MouseButton button, int x, int y, int trendWidth, int trendHeight);
    void TrendDoubleClicked();
    // Keys: a mark for Timer1 to take (+N started, -N ended). True while a
    // measurement or the event log runs, when the key is a mark and is the
    // mark's alone: it must not also reach the focused control.
    bool MarkEvent(int event);
    // Marks are taken now: a measurement or the event log runs.
    bool MarksTaken() const;
    // A mark from outside the window (+N started, -N ended), taken at once
    // wherever a key's mark would be taken at the next tick: empty when
    // taken, otherwise why not.
    QString TakeOutsideMark(int event);
    // Ends a measurement as "End" does, then saves each record with
    // samples to the file pathOf names, without a question (a flow driven
    // without a window); done learns whether every file was written.
    void EndMeasurementSavingTo(const std::function<QString(const Sensor&)>& pathOf,
                                std::function<void(bool saved)> done);
    // At start: every record a program left unsaved in a crash journal
    // becomes a record file of the data folder; the last one is opened, and
    // the user is told where in one message. Marks it left for the event log
    // file go there.
    void RecoverRecords();
    // Where the first sensor's record is journalled; empty when it is not.
    QString JournalPath() const { return SensorAt(0).JournalOfRecord.Path(); }
    // A record not saved yet, of any sensor; one with samples, to lose.
    bool AnyRecordUnsaved() const;
    bool AnyRecordToLose() const;
    // Waits until the journal and the event log file hold what was handed
    // to the writer thread, and takes in what it reported.
    void SettleDiskWrites();
    // Marks the event log file has not taken yet.
    int UnwrittenEventLogMarks() const { return unwrittenEventLogMarks_; }
    // The window may close now; asks what must be asked. When a question
    // is still open, false: once the user agrees, the view is asked to close.
    bool MayClose();
    void Closing();
    // Timers.
    void SupervisionTick();         // Timer1, 500 ms
    void DiscoveryWatchdogExpired(); // Timer2
    // Events of the Bluetooth LE central.
    void DeviceDiscovered(const BleDevicePtr& device, const QByteArray& manufacturerData);
    void DiscoveryEnded(const QList<BleDevicePtr>& devices);
    void DeviceConnected(const BleDevicePtr& device);
    void DeviceDisconnected(const BleDevicePtr& device);
    void CharacteristicChanged(const BleDevicePtr& device, const QUuid& characteristic, const QByteArray& value,
                               int gattStatus);

    // The storage page is in use: chosen, or the only one while its event
    // log runs or its sensors are switched off after it.
    bool StorageModeActive() const;
    bool Live() const { return ConnectButtonTag() == 1; }
    // Leaves the review and the overview: the trend follows or shows the
    // record again on a white panel.
    void EndReviewAndOverview();
    // A new record begins: no overview length, no sample cursor, no scroll bar.
    void ClearTrendViewForNewRecord();
    // A stopped, opened or uploaded record is shown at its end.
    void ShowRecordEndInView();

private:
    bool PacketsWanted(const Sensor& sensor) const override;
    void RecordGrew(Sensor& sensor) override;
    void UploadProgressed(Sensor& sensor) override;
    void RecordStatusText(Sensor& sensor, const QString& text) override;
    void UpdateProgress();
    Sensor* SensorOfDevice(const BleDevicePtr& device);
    Sensor* SensorOfJournal(const QString& path);
    // Back to the one sensor an upload or a file needs.
    void KeepOnlyTheFirstSensor();
    std::unique_ptr<Sensor> NewSensor();

    // Marks the handling of one input for as long as it lives. An input that
    // arrives while another is still handled came through a nested event
    // loop: a flow ran inside another's wait. That is logged as a warning.
    class FlowInput {
    public:
        FlowInput(AcquisitionSession& session, const char* name);
        ~FlowInput();
        FlowInput(const FlowInput&) = delete;
        FlowInput& operator=(const FlowInput&) = delete;

    private:
        AcquisitionSession& session_;
    };
    // A click may start or change something: not while a question is open.
    bool ClickAllowed(const char* what) const;
    // The one way the activity changes.
    void ChangeMode(SessionMode next);

    // Questions: one is open at a time; one asked meanwhile waits for it.
    // `then` runs with the answer, as an input of its own.
    void AskYesNo(const QString& text, std::function<void(bool)> then);
    void AskOkCancel(const QString& text, std::function<void(bool)> then);
    void AskSaveFileName(std::function<void(QString)> then);
    void AskOpenFileName(std::function<void(QString)> then);
    void AskSnirfFileName(std::function<void(QString)> then);
    void AskText(const QString& question, const QString& initialText,
                 std::function<void(std::optional<QString>)> then);
    void AskBidsExportSettings(const BidsExportChoice& initial,
                               std::function<void(std::optional<BidsExportChoice>)> then);
    void AskConnectionSettings(const ConnectionOffer& offer,
                               std::function<void(std::optional<ConnectionChoice>)> then);
    void Ask(std::function<void()> show);
    template <typename Answer>
    Answered<Answer> WhenAnswered(std::function<void(Answer)> then);
    void ShowHeldQuestion();
    // Asks before an unsaved record gives way; `then` runs when it may.
    void ConfirmDiscard(std::function<void()> then);
    void SetBusy(bool busy);
    bool StartDiscovery();
    void StartDiscoveryWatchdog();

    // A chosen sensor's link did not come up.
    void ConnectionFailed(Sensor& sensor);
    // A sensor's link in a measurement: up, lost, sought again.
    void LinkBackForMeasurement(Sensor& sensor);
    void LinkLostDuringMeasurement(Sensor& sensor);
    void ScanForLostSensors();
    void ReconnectWhenFound(Sensor& sensor, const QList<BleDevicePtr>& devices);
    void ReconnectFailed(Sensor& sensor);
    void FollowTimeWhileReconnecting(Sensor& sensor);
    // The measurement's mode follows its sensors: measuring while one streams.
    void FollowSensorPhases();
    bool Measuring() const;
    // Real time.
    void StartMeasurement();
    void ScanForConnection();
    void EndMeasurement();
    // The first half of an end: the sensors let go, the records closed;
    // true when a record is left to save.
    bool EndAcquisition();
    void LetGoOfTheSensor(Sensor& sensor);
    void ChooseSensorAndConnect();
    void ConnectToChosenSensors(const ConnectionChoice& choice);
    void CallOffConnectionStart();
    ConnectionOffer OfferConnection() const;
    void ShowMeasurementOver();
    // The common start of the records' timeline, once a first sample came.
    void FollowTimelineStart();

    // External input.
    bool OpenExternalInputForStart(bool auxin, const QString& port);
    void CloseExternalInput();
    void PollExternalInputPort();

    // Supervision.
    void WatchLinkWaits(Sensor& sensor);
    void SuperviseMeasurement(Sensor& sensor);
    // A record's row for a moment of the measurement's timeline.
    int32_t RowOfTime(const Sensor& sensor, double time) const;
    // Marks whose row has not come yet (taken while the link is away) go
    // in once it has; at the end of a record, rows come for them.
    void PlaceHeldMarks(Sensor& sensor, bool recordEnds);
    void AddMarkToRecord(Sensor& sensor, int32_t row, int event);
    // The pending mark goes into every record of the measurement.
    void TakePendingEventIntoRecords();
    void LogStorageEvent();
    void QueueEventLogRecord(double tm, int event);
    void RetryUnwrittenEventLog();
    void EventLogWritten(int unwritten, bool durable, const QString& error);
    // Shows an error once the handler that found it has returned: a box
    // opened inside a tick or a radio event would stop them until OK.
    void ErrorAfterHandler(const QString& text);
    void NoticeAfterHandler(const QString& text);

    // Storage page.
    void StartEventLog(const QSet<QString>& sensorsAsked);
    void FinishEventLog();
    void StorageScanEnded(const QList<BleDevicePtr>& devices);
    void ContinueStorageCycle();
    void FreeStoragePageAfterOffPass();
    // The remote pass: one short connection per sensor, each a wait for
    // its reply with a time-out, moved on by the central's events and ticks.
    bool BeginRemotePass();
    void SendToNextRemoteTarget();
    void RemoteTargetDone(bool answered);
    void FollowRemotePass();
    void EndRemotePass();

    // Upload.
    void WaitForUploadScan(const QString& name);
    void UploadStart();
    void UploadScanTimedOut();
    void UploadLinkLost();
    // Back to the storage page's state before an upload that did not start.
    void CallOffUploadRequest();
    void SaveUploadedRecord(bool clearSensorLog);
    void UploadSaveEnded(bool saved, bool clearSensorLog);
    void FinishUpload();

    // Upload all: the scan, then up to `parallel` uploads at once, each a
    // sensor object of its own moved on by its events; the tick's time-outs.
    bool UploadAllMayStart() const;
    void StartUploadAll(const QString& folder, std::function<void(const UploadAllOutcome&)> done);
    void OfferStoragePage(bool offered);
    void BeginUploadAll(const QList<BleDevicePtr>& devices);
    // Fills the free uploads once the current input is done: a sensor
    // object is not reused or dropped inside its own notification.
    void QueueNextUploads();
    void StartNextUploads();
    bool StartUploadOf(UploadAllRun::Upload& upload, qsizetype index);
    UploadAllRun::Upload* UploadOfSensor(const Sensor& sensor);
    UploadAllRun::Upload* UploadOfRecordFile(const QString& path);
    UploadAllSensor& SensorOfUpload(const UploadAllRun::Upload& upload);
    void UploadAllLinkUp(UploadAllRun::Upload& upload);
    void UploadAllLinkEnded(UploadAllRun::Upload& upload);
    void UploadAllProgressed(UploadAllRun::Upload& upload);
    void FollowUploadAll();
    // The upload ends unsaved; its sensor keeps its log, the others go on.
    void UploadAllFailed(UploadAllRun::Upload& upload, UploadAllStage stage, const QString& reason);
    void LetGoOfUpload(UploadAllRun::Upload& upload);
    void SaveUploadAllRecord(UploadAllRun::Upload& upload);
    void UploadAllRecordWritten(UploadAllRun::Upload& upload, int result, const QString& error, double recordEndTime);
    void SnirfFileWritten(const QString& recordPath, const QString& snirfPath, const QString& error);
    void ClearUploadedSensor(UploadAllRun::Upload& upload);
    void CancelUploadAll();
    void FinishUploadAll();
    void StopUploadAllForClosing();

    // The crash journal: every sample and mark of a record that exists
    // nowhere else also goes to disk, twice a second.
    void BeginJournal(Sensor& sensor, JournalKind kind);
    void FollowJournal();
    void FollowJournal(Sensor& sensor);
    void EndJournal(Sensor& sensor);
    void EndJournals();
    // The user changed a record (marks merged, value-initialization
    // points); inPlace: samples already journalled changed.
    void JournalRecordChanged(Sensor& sensor, bool inPlace);
    JournalHeader CurrentJournalHeader(const Sensor& sensor) const;
    void JournalWritten(const QString& path, bool written, bool wholeNeeded, const QString& error);
    void RecoverPendingMarks(QStringList& notes, bool& trouble);

    // Record files.
    void ShowOpenedRecord(const OpenRecordOutcome& outcome);
    void OpenChosenFile(const QString& path);
    // The save: the file dialog, the question before a file is replaced,
    // the write on the writer thread; `then` learns whether it was saved.
    // With several records, one name and a file each, named by sensor.
    void SaveRecord(std::function<void(bool saved)> then);
    void SaveToChosenFiles(const QList<std::pair<int, QString>>& files);
    QList<std::pair<int, QString>> FilesOfSave(const QString& chosen) const;
    void RecordFileWritten(const QString& path, int result, const QString& error, double recordEndTime);
    void FollowSave();
    // The save of "Save(&S)" or of a measurement's end, told with a notice.
    void SaveRecordAndTell(std::function<void()> then);
    void MergeEventLog(bool mo);
    void AskSnirfExportFile();
    void ExportSnirfTo(const QString& path);
    void ExportBidsTo(const BidsExportChoice& choice);
    // After a save: an upload's SNIRF file beside the record file, which
    // keeps its raw intensities. SavedFilesText names the files the save
    // wrote; RawIntensitiesKept is false when they were wanted beside it and
    // are not there, so the sensor must keep its log.
    void WriteSnirfBesideRecord(const QString& recordPath, std::function<void()> then);
    QString SavedFilesText() const;
    bool RawIntensitiesKept() const;

    // Closing: what the questions on the way decided.
    void AskBeforeClosing(QStringList questions);
    void CloseAgreed();

    BleCentral& central_;
    Prompts& prompts_;
    Clock& clock_;
    SessionView noView_;
    SessionView* view_ = &noView_;
    QList<const char*> inputs_;        // handled now, outermost first
    bool asking_ = false;              // a question waits for its answer
    std::deque<std::function<void()>> heldQuestions_;  // asked while one was open
    struct CloseQuestions {
        bool insideMayClose = false;  // the questions are asked within MayClose
        bool agreedWithin = false;    // ... and were all answered yes there
    };
    CloseQuestions closing_;
    int shown_ = 0;                    // the sensor the trend shows
    int uploadScanWaitTicks_ = 0;      // supervision ticks an upload waited for its scan
    double pendingEventTime_ = 0;      // when the key of the pending mark was pressed
    double timelineStart_ = 0;         // the measurement's first sample, of any sensor; 0 before
    bool reconnectScanFailed_ = false; // the scan for a lost sensor could not start: the next tick tries
    QSet<QString> sensorsAtStart_;     // in the table when the event log started
    QSet<QString> skippedSensors_;     // not started for their un-uploaded log, and said so
    SessionMode activity_ = SessionMode::Idle;
    int unwrittenEventLogMarks_ = 0;       // as the writer thread last reported
    bool unwrittenEventLogDurable_ = true;  // those marks are all in a pending marks file
    bool eventLogFailureShown_ = false;  // a failing event log file is reported once per failure run
    // The save under way: the files it writes, and who waits for them.
    struct SaveUnderWay {
        bool active = false;       // record files are being written
        QList<std::pair<int, QString>> files;  // the sensor and its file, still to be reported
        QStringList written;       // their names, without folder, as they are reported written
        bool failed = false;       // one of them was not written
        double startedAt = 0;
        bool slowTold = false;     // the user heard that the disk does not answer
        std::function<void(bool saved)> then;
        ControlStates before;      // what the save disabled, restored after it
    };
    SaveUnderWay save_;
    QStringList savedFiles_;  // what the last save wrote, without folder
    // The remote pass of the storage page's scanning cycle.
    struct RemotePass {
        bool active = false;
        bool off = false;          // switching sensors off, not starting them
        QString command;
        QStringList targets;       // still to be told, in the table's order
        QString current;           // told now; empty between two
        double askedAt = 0;        // when its connection was asked for
    };
    RemotePass remotePass_;
    struct SnirfBeside {
        bool wanted = false;  // the last save was of an upload, with the setting on
        QString name;         // the SNIRF file it wrote, without folder; empty when none
    };
    SnirfBeside snirfBeside_;
    UploadAllRun uploadAll_;
    // Last: it stops before the state its reports go to.
    DiskWriter diskWriter_;
};
