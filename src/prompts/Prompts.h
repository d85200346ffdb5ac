#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// What the connection dialog offers: the sensors found by the scan, the one
// chosen last time (-1 for none) and the rate item preselected (0 is "0.1sec").
struct ConnectionOffer {
    QStringList deviceNames;
    int preselected = -1;
    int rateItem = 0;
};

// The BIDS export's dialog: the dataset folder and the labels, as typed.
struct BidsExportChoice {
    QString dataset;
    QString subject;
    QString session;  // may be empty
    QString task;
};

// What the user chose in the connection dialog with OK.
struct ConnectionChoice {
    QString deviceName;
    int rateItem = 0;
    bool checkSensors = false;  // "Check Sensors": light levels instead of a record
};

// Every modal question, message and file dialog that the program's flows
// need goes through this seam, so whole flows run headless with scripted
// answers. The real implementation shows Qt dialogs; every message is
// preceded by a beep.
class Prompts {
public:
    virtual ~Prompts();

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

    // The BIDS export's dialog, offered with initial; nothing for Cancel.
    // Without a way to ask, it is cancelled.
    virtual std::optional<BidsExportChoice> BidsExportSettings(const BidsExportChoice& initial);

    // A line of text, offered with initialText; nothing for Cancel. Without
    // a way to ask, it is cancelled.
    virtual std::optional<QString> AskText(const QString& question, const QString& initialText);

    // The connection settings dialog, modal; nothing when it was cancelled.
    virtual std::optional<ConnectionChoice> ConnectionSettings(const ConnectionOffer& offer) = 0;
};
