#include "app/TForm1.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QMenuBar>
#include <QPrinter>

#include "app/AnchoredPage.h"
#include "app/DesignFont.h"
#include "app/ProgramFiles.h"
#include "session/StringTable.h"
#include "app/TForm2.h"
#include "app/TForm3.h"
#include "app/WindowFrame.h"
#include "link/BleCentral.h"

namespace {
// The page area at the designed window size; the pages are laid out on it.
constexpr QSize DesignedPageSize{1016, 610};
// The designed client area below the menu bar.
constexpr QSize DesignedClientSize{1008, 631};
}  // namespace

TForm1::TForm1(const TForm1Dependencies& dependencies, QWidget* parent)
    : TForm1(dependencies, ProgramFilesOf(dependencies.programFilePath, dependencies.workingDirectory), parent) {}

TForm1::TForm1(const TForm1Dependencies& dependencies, const ProgramFiles& files, QWidget* parent)
    : QMainWindow(parent),
      Session(SessionDependencies{dependencies.central, dependencies.prompts, dependencies.clock, files.eventLogFile,
                                  files.dataFolder, {}}),
      SettingsFileName(files.settingsFile),
      prompts_(dependencies.prompts),
      printPrompts_(dependencies.printPrompts),
      programFilePath_(dependencies.programFilePath),
      openDocument_(dependencies.openDocument) {
    if (!openDocument_) openDocument_ = [](const QUrl& url) { return QDesktopServices::openUrl(url); };

    setWindowTitle(AppCaption);
    setFont(DesignFont(13));
    frame_ = new WindowFrame(*this);

    PageControl1 = new QTabWidget(this);
    PageControl1->setDocumentMode(true);
    PageControl1->setStyleSheet(QStringLiteral("QTabBar::tab { width: 200px; }"));
    TabSheet1 = new AnchoredPage(DesignedPageSize);
    TabSheet2 = new AnchoredPage(DesignedPageSize);
    PageControl1->addTab(TabSheet1, QStringLiteral("Real time Mode"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Storage Mode"));
    setCentralWidget(PageControl1);

    BuildRealTimePage();
    BuildUploadPanel();
    BuildStoragePage();
    SetUpDeviceGrid();
    BuildMenus();
    BuildStatusBar();
    resize(DesignedClientSize.width(), DesignedClientSize.height() + menuBar()->sizeHint().height());

    Timer1 = new QTimer(this);
    Timer1->setInterval(500);
    Timer2 = new QTimer(this);
    Timer2->setSingleShot(true);
    Timer2->setInterval(6000);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);
    connect(ConnectButton, &QPushButton::clicked, this, &TForm1::ConnectButtonClick);
    connect(StartButton, &QPushButton::clicked, this, &TForm1::StartButtonClick);
    connect(OffButton, &QPushButton::clicked, this, &TForm1::OffButtonClick);
    connect(M1, &QAction::triggered, this, &TForm1::M1Click);
    connect(S1, &QAction::triggered, this, &TForm1::S1Click);
    connect(O1, &QAction::triggered, this, &TForm1::O1Click);
    connect(UploadButton, &QPushButton::clicked, this, &TForm1::UploadButtonClick);
    connect(UploadAllButton, &QPushButton::clicked, this, &TForm1::UploadAllButtonClick);
    connect(UploadOkButton, &QPushButton::clicked, this, &TForm1::UploadOkButtonClick);

    connect(&dependencies.central, &BleCentral::DiscoverLEDevice, this, &TForm1::BluetoothLE1DiscoverLEDevice);
    connect(&dependencies.central, &BleCentral::EndDiscoverDevices, this, &TForm1::BluetoothLE1EndDiscoverDevices);
    connect(&dependencies.central, &BleCentral::Connected, this, &TForm1::BluetoothLE1Connect);
    connect(&dependencies.central, &BleCentral::Disconnected, this, &TForm1::BluetoothLE1Disconnect);
    connect(&dependencies.central, &BleCentral::CharacteristicRead, this, &TForm1::BluetoothLE1CharacteristicRead);

    // The window sees every key before the focused control does.
    qApp->installEventFilter(this);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TForm1::PageControl1Change);

    bluetoothUnusable_ = dependencies.central.UnusableReason();
    Session.SetView(this);
    FormCreate();
    Timer1->start();

    // The dialogs come after the main window, which they are centred on.
    Form2 = new TForm2(this);
    Form3 = new TForm3(this);
    SetUpNetworkMarks();
}

TForm1::~TForm1() {
    qApp->removeEventFilter(this);
    Session.SetView(nullptr);
    SetBusyCursor(false);
}

void TForm1::FormCreate() {
    PageControl1->setCurrentIndex(0);
    DrawGrid1->setCurrentCell(DrawGrid1->rowCount() - 1, 0);
    DrawGrid1->scrollToTop();
    Render();
}
