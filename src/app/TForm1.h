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
#include "network/MarkListener.h"
#include "session/AcquisitionSession.h"
#include "view/PaintBox.h"

class AnchoredPage;
class NetworkDialog;
class SensorStripWidget;
struct ProgramFiles;
class BleCentral;
class Clock;
class PrintPrompts;
class Prompts;
class QPainter;
class QPrinter;
class TForm2;
class TForm3;
class WindowFrame;

// What the main window is given rather than finds for itself, so tests can
// run it with simulated sensors, scripted prompts, a set clock and a
// temporary folder in place of the program's own.
struct TForm1Dependencies {
    BleCentral& central;
    Prompts& prompts;
    PrintPrompts& printPrompts;
    Clock& clock;
    // The settings, event log and help file lie next to the program and the data
    // folder below the working directory, unless the program's folder is not
    // writable (an installed program): then they are in the user's folders.
    QString programFilePath;
    QString workingDirectory;
    // The desktop's "open" of a document; false when it could not be handed over.
    std::function<bool(const QUrl&)> openDocument;
};

// The main window: the controls, and adapters between them and the
// acquisition session, which owns the record, the link and every decision.
// Handlers carry the names of the controls and events they serve and only
// forward to the session; Render shows what the session's state says.
// They are spread over files by concern (TForm1<Concern>.cpp).
class TForm1 : public QMainWindow, private SessionView {
    Q_OBJECT

public:
    explicit TForm1(const TForm1Dependencies& dependencies, QWidget* parent = nullptr);
    ~TForm1() override;

    AcquisitionSession Session;
    // Marks from stimulus programs; destroyed before the session it marks.
    std::unique_ptr<MarkListener> NetworkListener;
    QString SettingsFileName;

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
    // Several sensors measured together: which one the trend shows, and all of them.
    QGroupBox* GroupBox5;  // "Sensor"
    QComboBox* SensorComboBox;
    SensorStripWidget* SensorStrip;

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
    QPushButton* UploadAllButton;  // "Upload all", "Cancel" while it runs
    QCheckBox* MergeCheckBox;
    QLabel* MsgPanel2;

    QStatusBar* StatusBar1;
    QLabel* StatusLine;  // the one line of the status bar
    QLabel* NetworkStatus;  // the network mark listener's status, while it is on
    QLabel* MarkCount;      // "Marks[ 3/100 ]": the record's event marks used

    // --- Menus -------------------------------------------------------------
    QAction* O1;  // Open
    QAction* S1;  // Save
    QAction* ExportSnirf1;  // Export SNIRF...
    QAction* ExportBids1;   // Export BIDS...
    QAction* N1;  // Network Marks...
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
    NetworkDialog* Form4;  // "Network Marks"

    // --- Handlers ------------------------------------------------------------
    void FormCreate();
    void FormShow();
    bool FormCloseQuery();
    void FormClose();
    // Event marking; each returns true when it consumed the key.
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    bool FormKeyPress(int mark);
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
    // File menu.
    void S1Click();
    void O1Click();
    void ExportSnirf1Click();
    void ExportBids1Click();
    // Storage upload.
    void UploadButtonClick();
    void UploadOkButtonClick();
    void UploadAllButtonClick();
    // Event merge.
    void M1Click();
    // Network marks.
    void N1Click();
    // Events of the Bluetooth LE central.
    void BluetoothLE1DiscoverLEDevice(const BleDevicePtr& device, const QByteArray& manufacturerData);
    void BluetoothLE1EndDiscoverDevices(const QList<BleDevicePtr>& ADeviceList);
    void BluetoothLE1Connect(const BleDevicePtr& sender);
    void BluetoothLE1Disconnect(const BleDevicePtr& sender);
    void BluetoothLE1CharacteristicRead(const BleDevicePtr& device, const QUuid& characteristic,
                                        const QByteArray& value, int AGattStatus);

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
    void ShowMarkCount();
    // After a record was stopped, opened or uploaded: shows the end of a
    // record longer than a screen with the scroll bar, hides the bar for a
    // shorter one, and repaints.
    void SetScrollRangeForRecord();
    // The pane width of the current arrangement, for the arrangement's scroll rule.
    void UpdateExpectedScreenSamples();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void setVisible(bool visible) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    TForm1(const TForm1Dependencies& dependencies, const ProgramFiles& files, QWidget* parent);

    // What the session asks of the window.
    void Render() override;
    void ShowStatusText(const QString& text) override;
    void RenderTrendView() override;
    void ShowConnectingMessage() override;
    void HideMessagePanel() override { MsgPanel->hide(); }
    void ShowViewControlsFor(bool checkSensors) override;
    void RenderSensors() override;
    void ClearLog() override { LogMemo->clear(); }
    void AppendLogLine(const QString& line) override { LogMemo->appendPlainText(line); }
    void RefreshDeviceGrid() override { DrawGrid1->viewport()->update(); }
    void StartDiscoveryWatchdog() override;
    void ShowRealTimePageQuietly() override;
    void CloseWindow() override;
    UserChoices Choices() const override;
    void RenderUploadPanel();

    void BuildUploadPanel();
    void SetUpDeviceGrid();
    void DrawGrid1SelectCell(int row, int column, int previousRow, int previousColumn);
    void DrawGrid1TopLeftChanged();
    void SetStorageControlsEnabled(bool enabled);
    void SetBusyCursor(bool busy);

    void BuildRealTimePage();
    void BuildSensorChoice();
    void BuildStoragePage();
    void BuildMenus();
    void BuildStatusBar();
    void ConnectTrendView();
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
    void SetUpNetworkMarks();
    void ApplyNetworkSettings();
    void ShowNetworkStatus();

    Prompts& prompts_;
    PrintPrompts& printPrompts_;
    QString programFilePath_;
    std::function<bool(const QUrl&)> openDocument_;

    QString bluetoothUnusable_;  // why the program cannot run; empty when it can
    bool shownOnce_ = false;
    WindowFrame* frame_ = nullptr;  // keeps the outer size while the window manager frames the window
    bool settingsRead_ = false;  // only settings that were read are written back
    bool closeAgreed_ = false;   // the questions of closing were answered yes
    bool busyCursor_ = false;
    bool networkEnabled_ = false;  // the [Network] settings
    QString networkAddress_;
    int networkPort_ = 0;
    std::unique_ptr<QPrinter> printer_;  // keeps the print setup for the next print
};
