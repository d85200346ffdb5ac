#pragma once

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <functional>
#include <memory>

#include "app/SettingsFile.h"
#include "data/PacketDecoder.h"
#include "data/SampleStore.h"
#include "data/SupervisionState.h"
#include "link/Framing.h"
#include "link/LinkState.h"
#include "serial/ExternalInput.h"
#include "serial/WUni232c.h"
#include "storage/DeviceTable.h"
#include "view/PaintBox.h"
#include "view/ViewState.h"

class AnchoredPage;
class BleCentral;
class Clock;
class Prompts;
class QPainter;
class QPrinter;
class TForm2;
class TForm3;

// What the main window is given rather than finds for itself, so tests can
// run it with simulated sensors, scripted prompts, a set clock and a
// temporary folder in place of the program's own.
struct TForm1Dependencies {
    BleCentral& central;
    Prompts& prompts;
    Clock& clock;
    QString programFilePath;   // the settings, event log and help file lie next to it
    QString workingDirectory;  // the data folder is made below it
    // The desktop's "open" of a document; false when it could not be handed over.
    std::function<bool(const QUrl&)> openDocument;
    // Runs pending events once while a long operation waits for the sensor;
    // empty: wait for the next event of the event loop. Tests move time here.
    std::function<void()> waitStep;
};

// The main window. It owns every control and the state that lives as long as
// the program: the record in memory, the link to the sensor and the marks
// waiting to be taken. Its handlers are spread over files by concern
// (TForm1<Concern>.cpp); each carries the name of the control and event it
// serves.
class TForm1 : public QMainWindow, private FrameSink, private PacketDecoderListener {
    Q_OBJECT

public:
    explicit TForm1(const TForm1Dependencies& dependencies, QWidget* parent = nullptr);
    ~TForm1() override;

    // --- State owned by the window -------------------------------------
    SampleStore Store;
    LinkState Link;
    FrameDecoder Decoder;
    TrendViewState View;           // how the trend is looked at (arrangement, review, overview, cursor)
    PacketDecoder SampleDecoder;
    SupervisionState Supervision;  // silence, lost link and the mark waiting for Timer1
    DeviceTable Devices;           // the storage page's sensors
    TWUni232c WUni232c1;           // the external event input
    ExternalInputParser ExternalInput;
    int RateIndex = 0;         // real-time rate preselected in the connection dialog
    // Control tags kept as state: 1 while a real-time measurement runs, and
    // 1 while the storage-mode event log runs.
    int ConnectButtonTag = 0;
    int StartButtonTag = 0;
    int UploadOkButtonTag = 0;  // 1 while an upload runs ("Cancel")

    QString SavedFileName;  // the last file the record was saved to, without folder

    // Storage mode: requests carried out by the next end of a discovery.
    bool RemoteOffRequest = false;
    bool UploadRequest = false;

    QString SettingsFileName;
    QString EventLogFileName;
    QString DataFolder;

    // --- Pages -----------------------------------------------------------
    QTabWidget* PageControl1;
    AnchoredPage* TabSheet1;  // "Real time Mode"
    AnchoredPage* TabSheet2;  // "Storage Mode"

    // "Real time Mode"
    QPushButton* ConnectButton;
    QGroupBox* GroupBox1;
    QComboBox* AmpComboBox;
    QComboBox* AveComboBox;
    QComboBox* DataComboBox;
    QPushButton* ResetButton;
    QCheckBox* AuxinCheckBox;
    QLineEdit* AuxPortEdit;
    QGroupBox* GroupBox2;
    QCheckBox* CheckBox9;   // 7 mm
    QCheckBox* CheckBox10;  // 30 mm
    QCheckBox* CheckBox11;  // 35 mm
    QGroupBox* GroupBox4;
    QToolButton* SpeedButton1;  // vertical arrangement
    QToolButton* SpeedButton2;  // horizontal arrangement
    QFrame* Panel1;
    PaintBox* PaintBox1;
    QScrollBar* ScrollBar1;
    QFrame* UploadPanel;
    QLabel* UploadLabel1;
    QLabel* UploadLabel2;
    QLabel* UploadLabel3;
    QProgressBar* UploadProgressBar;
    QPushButton* UploadOkButton;
    QLabel* MsgPanel;
    QGroupBox* GroupBox3;
    QLabel* LabelOXHb;
    QLabel* LabelDXHb;
    QLabel* LabelTOHb;
    QLabel* LabelSTO2;
    QLabel* LabelStatus;
    QLabel* BattPanel;
    QLabel* TimeLabel;

    // "Storage Mode"
    QComboBox* RateComboBox;
    QComboBox* AdvDataComboBox;
    QCheckBox* AuxinCheckBox2;
    QLineEdit* AuxPortEdit2;
    QPushButton* StartButton;
    QPushButton* OffButton;
    QTableWidget* DrawGrid1;
    QPlainTextEdit* LogMemo;
    QPushButton* UploadButton;
    QCheckBox* MergeCheckBox;
    QLabel* MsgPanel2;

    QStatusBar* StatusBar1;
    QLabel* StatusLine;  // the one line of the status bar

    // --- Menus -------------------------------------------------------------
    QAction* O1;  // Open
    QAction* S1;  // Save
    QAction* ExportSnirf1;  // Export SNIRF...
    QAction* U1;  // Print Setup
    QAction* P1;  // Print
    QAction* X1;  // Exit
    QMenu* EditMenu;
    QAction* E1;  // the Edit menu itself
    QAction* C1;  // Clear value-initialization points
    QAction* M1;  // Merge events
    QAction* H2;  // Help
    QAction* A1;  // About

    // --- Components without a window ----------------------------------------
    QTimer* Timer1;  // 500 ms supervision
    QTimer* Timer2;  // 6000 ms one-shot watchdog of a discovery
    TForm2* Form2;   // "Connection Settings"
    TForm3* Form3;   // "About Tq580_win"

    // --- Handlers ------------------------------------------------------------
    void FormCreate();
    void FormShow();
    bool FormCloseQuery();
    void FormClose();
    // Event marking; FormKeyDown returns true when it consumed the key.
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void FormKeyPress(QChar character);
    void PageControl1Change();
    void AuxinCheckBoxClick(int tag);
    void X1Click();
    void A1Click();
    void H2Click();
    void Timer2Timer();
    void Timer1Timer();

    // Real-time measurement.
    void ConnectButtonClick();
    // Storage mode: the event log with remote start and stop.
    void StartButtonClick();
    void OffButtonClick();
    void RemoteStart();
    void RemoteOffAll();
    void RemoteOff(const QString& id);
    // File menu.
    void S1Click();
    void O1Click();
    void ExportSnirf1Click();
    // Storage upload.
    void UploadButtonClick();
    void UploadStart();
    void UploadOkButtonClick();
    // Event merge.
    void M1Click();
    void MergeEventLog(bool mo);
    // Events of the Bluetooth LE central.
    void BluetoothLE1DiscoverLEDevice(const BleDevicePtr& device, const QByteArray& manufacturerData);
    void BluetoothLE1EndDiscoverDevices(const QList<BleDevicePtr>& ADeviceList);
    void BluetoothLE1Connect(const BleDevicePtr& sender);
    void BluetoothLE1CharacteristicRead(const BleDevicePtr& device, const QUuid& characteristic,
                                        const QByteArray& value, int AGattStatus);

    // Starts the discovery watchdog unless it already runs: a running one
    // keeps counting from the discovery that started it.
    void StartDiscoveryWatchdog();

    // --- Trend view (TForm1View*.cpp) -----------------------------------------
    void PaintBox1Paint(QPainter& painter);
    void AmpComboBoxChange();
    void AveComboBoxChange();
    void DataComboBoxChange();
    void CheckBox1Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void ScrollBar1Change();
    void Panel1Resize();
    void PaintBox1MouseDown(Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x,
                            int y);
    void PaintBox1MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);
    void PaintBox1MouseUp(Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x,
                          int y);
    void PaintBox1DblClick();
    void ResetButtonClick();
    void C1Click();
    void U1Click();
    void P1Click();

    // Asks for a paint of the trend; requests before the next paint coalesce.
    void RepaintTrend() override;
    // After a record was stopped, opened or uploaded: shows the end of a
    // record longer than a screen with the scroll bar, hides the bar for a
    // shorter one, and repaints.
    void SetScrollRangeForRecord();
    // Leaves the review and the overview: the trend follows or shows the
    // record again on a white panel. Starting or ending a measurement and
    // opening a file do this.
    void EndReviewAndOverview();
    // A new record begins: no overview length, no sample cursor, no scroll bar.
    void ClearTrendViewForNewRecord();
    // The pane width of the current arrangement, for the arrangement's scroll rule.
    void UpdateExpectedScreenSamples();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Frame decoder and packet decoder hand-overs.
    bool PacketsWanted() const override;
    void PacketReceived(const uint8_t* packet, int32_t length, int32_t left) override;

    void UpdateProgress() override;
    void ShowStatusText(const QString& text) override;

    // External event input: the port named on a page is opened at the start
    // of a measurement or an event log; false (the user told) when the start
    // must not happen.
    bool OpenExternalInputForStart(QCheckBox* auxinBox, QLineEdit* portEdit);
    void CloseExternalInput();
    void PollExternalInputPort();

    // Offers the save dialog; on success tells the user the file was created.
    bool SaveRecordAndTell();
    // Offers the save dialog; true when the file was written.
    bool SaveRecord();
    // Export SNIRF: for a record with samples, not while a save runs.
    void UpdateExportSnirfEnabled();

    void BuildUploadPanel();
    void SetUpDeviceGrid();
    void DrawGrid1SelectCell(int row, int column, int previousRow, int previousColumn);
    void DrawGrid1TopLeftChanged();
    void SaveUploadedRecord(bool clearSensorLog);
    void FinishUpload();

    void StartEventLog();
    void FinishEventLog();
    void SetStorageControlsEnabled(bool enabled);
    // One connect, send, wait for the reply, disconnect cycle on
    // TargetDeviceName with PendingCommand; false when no connection could
    // be asked for. keepWaiting tells whether the wait may go on.
    bool SendRemoteCommand(const std::function<bool()>& keepWaiting, const std::function<void()>& onRequested);
    // Lets pending events run while a long operation waits.
    void WaitStep();

    void StartMeasurement();
    void EndMeasurement();
    void ChooseSensorAndConnect();
    bool FillConnectionDialog(const QList<BleDevicePtr>& devices);
    void ResetRecordForMeasurement();
    bool StartDiscovery();
    bool StorageModeActive() const;
    void SetBusyCursor(bool busy);
    void TakePendingEventIntoRecord();
    void LogStorageEvent();
    bool AppendEventLogOrWarn(double tm, int event);

    void BuildRealTimePage();
    void BuildStoragePage();
    void BuildMenus();
    void BuildStatusBar();
    void ConnectTrendView();
    bool Live() const { return ConnectButtonTag == 1; }
    void SetPanel1Highlighted(bool highlighted);
    void ChangeArrangement(int32_t arrangement);
    QPrinter& Printer();

    void ReadSettings();
    void WriteSettings();
    void PlaceWindow(const ProgramSettings& settings);
    bool RealTimePageInUse() const;

    void SetPortEditEnabled(QLineEdit* edit, bool enabled);
    void CopyExternalInput(QCheckBox* fromBox, QLineEdit* fromEdit, QCheckBox* toBox, QLineEdit* toEdit);
    void ReportUnusableBluetooth();

    BleCentral& central_;
    Prompts& prompts_;
    Clock& clock_;
    QString programFilePath_;
    QString workingDirectory_;
    std::function<bool(const QUrl&)> openDocument_;
    std::function<void()> waitStep_;
    bool remotePassRunning_ = false;  // a remote start or off pass waits for a sensor

    QString bluetoothUnusable_;  // why the program cannot run; empty when it can
    bool shownOnce_ = false;
    bool settingsRead_ = false;  // only settings that were read are written back
    bool busyCursor_ = false;
    bool saving_ = false;  // the save yields to the event loop; nothing else may change the record
    bool eventLogFailureShown_ = false;  // a failing event log file is reported once per failure run
    std::unique_ptr<QPrinter> printer_;  // keeps the print setup for the next print
};
