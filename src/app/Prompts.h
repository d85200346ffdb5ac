#pragma once

#include <QString>

class QPrinter;
class TForm2;

// Every modal question, message and file dialog of the program goes through
// this seam, so whole flows run headless with scripted answers. The real
// implementation shows Qt dialogs; every message is preceded by a beep.
class Prompts {
public:
    virtual ~Prompts() = default;

    // "ERROR" box with an OK button.
    virtual void Error(const QString& text) = 0;
    // Plain modal message.
    virtual void Notice(const QString& text) = 0;
    // "CAUTION" box; true for Yes, false for No.
    virtual bool AskYesNo(const QString& text) = 0;
    // "CAUTION" box; true for OK, false for Cancel.
    virtual bool AskOkCancel(const QString& text) = 0;

    // CSV file dialogs ("csv file|*.csv"); an empty result means cancelled.
    // The save dialog does not ask about overwriting: its caller does.
    virtual QString SaveFileName(const QString& initialFolder, const QString& suggestedName) = 0;
    virtual QString OpenFileName(const QString& initialFolder) = 0;
    // The SNIRF export's save dialog ("*.snirf"); asks nothing about overwriting.
    virtual QString SnirfFileName(const QString& initialFolder, const QString& suggestedName) = 0;

    // Shows the prepared connection settings dialog modally; true for OK.
    virtual bool ConnectionSettings(TForm2& dialog) = 0;

    // The printer's page setup; what is chosen there applies to the next print.
    virtual void PrintSetup(QPrinter& printer) = 0;
    // The print dialog before a print; true to print on the printer as chosen.
    virtual bool Print(QPrinter& printer) = 0;
};
