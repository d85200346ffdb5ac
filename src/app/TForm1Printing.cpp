#include <QDir>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QPrinterInfo>

#include "app/PrintPrompts.h"
#include "prompts/Prompts.h"
#include "session/StringTable.h"
#include "app/TForm1.h"
#include "view/PrintPlacement.h"

// One printer for the program's life, so the setup chosen applies to every
// later print. Without any printer installed it prints to a PDF file in the
// data folder, which the print dialog offers to change.
QPrinter& TForm1::Printer() {
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        if (QPrinterInfo::availablePrinterNames().isEmpty()) {
            printer_->setOutputFormat(QPrinter::PdfFormat);
            printer_->setOutputFileName(QDir(Session.DataFolder).filePath(PrintFileName));
        }
    }
    return *printer_;
}

void TForm1::U1Click() { printPrompts_.PrintSetup(Printer()); }

// Prints a picture of the window below its menu bar, whatever it shows at the
// moment, scaled to 80 % of the page.
void TForm1::P1Click() {
    const int top = menuBar()->isVisible() ? menuBar()->geometry().bottom() + 1 : 0;
    const QPixmap image = grab(QRect(0, top, width(), height() - top));
    QPrinter& printer = Printer();
    if (!printPrompts_.Print(printer)) return;
    QPainter painter;
    if (!painter.begin(&printer)) {
        prompts_.Error(MsgPrintFailed);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(PrintPlacement(QSize(printer.width(), printer.height()), image.size()), image);
    painter.end();
}
