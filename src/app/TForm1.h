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
#include "data/SampleStore.h"
#include "data/SupervisionState.h"
#include "link/Framing.h"
#include "link/LinkState.h"
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
};

// The main window. It owns every control and the state that lives as long as
// the program: the record in memory, the link to the sensor and the marks
// waiting to be taken. Its handlers are spread over files by concern
// (TForm1<Concern>.cpp); each carries the name of the control and event it
// serves.
class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    explicit TForm1(const TForm1Dependencies& dependencies, QWidget* parent = nullptr);
    ~TForm1() override;

    // --- State owned by the window -------------------------------------
    SampleStore Store;
    LinkState Link;
    FrameDecoder Decoder;
    TrendViewState View;          // how the trend is looked at (arrangement, review, overview, cursor)
    SupervisionState Supervision; // LinkLost is read by the trend's message panel
    int PendingEvent = 0;      // +N event N started, -N ended; taken by Timer1
    int RateIndex = 0;         // real-time rate preselected in the connection dialog
    // Control tags kept as state: 1 while a real-time measurement runs, and
    // 1 while the storage-mode event log runs.
    int ConnectButtonTag = 0;
    int StartButtonTag = 0;

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
    void RepaintTrend();
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

    QString bluetoothUnusable_;  // why the program cannot run; empty when it can
    bool shownOnce_ = false;
    bool settingsRead_ = false;  // only settings that were read are written back
    std::unique_ptr<QPrinter> printer_;  // keeps the print setup for the next print
};
