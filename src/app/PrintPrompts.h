#pragma once

class QPrinter;

// The printer dialogs of the "Print Setup" and "Print" menu items, a seam of
// their own so tests print without a dialog.
class PrintPrompts {
public:
    virtual ~PrintPrompts() = default;

    // The printer's page setup; what is chosen there applies to the next print.
    virtual void PrintSetup(QPrinter& printer) = 0;
    // The print dialog before a print; true to print on the printer as chosen.
    virtual bool Print(QPrinter& printer) = 0;
};
