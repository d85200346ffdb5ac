#include <QDir>
#include <QFileInfo>
#include <QMenuBar>

#include "prompts/Prompts.h"
#include "session/StringTable.h"
#include "app/ProgramFiles.h"
#include "app/TForm1.h"
#include "app/TForm3.h"

void TForm1::BuildMenus() {
    QMenu* fileMenu = menuBar()->addMenu(QStringLiteral("File(&F)"));
    O1 = fileMenu->addAction(QStringLiteral("Open(&O)"));
    S1 = fileMenu->addAction(QStringLiteral("Save(&S)"));
    S1->setEnabled(false);
    ExportSnirf1 = fileMenu->addAction(QStringLiteral("Export SNIRF..."));
    ExportSnirf1->setEnabled(false);
    connect(ExportSnirf1, &QAction::triggered, this, &TForm1::ExportSnirf1Click);
    ExportBids1 = fileMenu->addAction(QStringLiteral("Export BIDS..."));
    ExportBids1->setEnabled(false);
    connect(ExportBids1, &QAction::triggered, this, &TForm1::ExportBids1Click);
    N1 = fileMenu->addAction(QStringLiteral("Network Marks..."));
    // The record changes in many places; the item is set right when the menu opens.
    connect(fileMenu, &QMenu::aboutToShow, this, [this] {
        ExportSnirf1->setEnabled(Session.ExportAllowed());
        ExportBids1->setEnabled(Session.ExportAllowed());
    });
    fileMenu->addSeparator();
    U1 = fileMenu->addAction(QStringLiteral("Print Setup(&U)"));
    P1 = fileMenu->addAction(QStringLiteral("Print(&P)"));
    fileMenu->addSeparator();
    X1 = fileMenu->addAction(QStringLiteral("Exit(&X)"));

    EditMenu = menuBar()->addMenu(QStringLiteral("Edit(&E)"));
    E1 = EditMenu->menuAction();
    E1->setEnabled(false);
    C1 = EditMenu->addAction(QStringLiteral("Clear value-initialization points(&C)"));
    C1->setEnabled(false);
    M1 = EditMenu->addAction(QStringLiteral("Merge events(&M)"));

    QMenu* helpMenu = menuBar()->addMenu(QStringLiteral("Help(&H)"));
    H2 = helpMenu->addAction(QStringLiteral("Help(&H)"));
    A1 = helpMenu->addAction(QStringLiteral("About(&A)"));

    connect(U1, &QAction::triggered, this, &TForm1::U1Click);
    connect(P1, &QAction::triggered, this, &TForm1::P1Click);
    connect(X1, &QAction::triggered, this, &TForm1::X1Click);
    connect(C1, &QAction::triggered, this, &TForm1::C1Click);
    connect(H2, &QAction::triggered, this, &TForm1::H2Click);
    connect(A1, &QAction::triggered, this, &TForm1::A1Click);
}

void TForm1::BuildStatusBar() {
    StatusBar1 = statusBar();
    StatusBar1->setSizeGripEnabled(true);
    StatusLine = new QLabel(StatusBar1);
    StatusBar1->addWidget(StatusLine, 1);
    MarkCount = new QLabel(StatusBar1);
    MarkCount->hide();
    StatusBar1->addPermanentWidget(MarkCount);
}

void TForm1::X1Click() { close(); }

void TForm1::A1Click() { Form3->exec(); }

// Opens the manual, next to the program or where it is installed, in the
// desktop's PDF viewer.
void TForm1::H2Click() {
    for (const QString& helpFile : HelpFileCandidates(programFilePath_, HelpFileName))
        if (QFileInfo(helpFile).isFile()) {
            if (!openDocument_(QUrl::fromLocalFile(helpFile))) prompts_.Error(MsgHelpFileNotFound);
            return;
        }
    prompts_.Error(MsgHelpFileNotFound);
}
