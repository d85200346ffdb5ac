#pragma once

#include <QString>
#include <QStringList>
#include <functional>
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
    QStringList moreDevices = {};  // measured together with deviceName, at the same rate
};

// Receives the user's answer to a question.
template <typename Answer>
using Answered = std::function<void(Answer)>;

// Every message, question and file dialog that the program's flows need goes
// through this seam, so whole flows run headless with scripted answers. The
// real implementation shows Qt dialogs; every message is preceded by a beep.
//
// Nothing here waits for the user. A message is shown and the call returns;
// the box closes when the user clicks OK. A question is shown and the call
// returns; `answered` runs once the user has answered, from the event loop
// (a test's script may answer within the call). So no flow runs inside
// another's wait: the caller moves on when the answer arrives.
class Prompts {
public:
    virtual ~Prompts();

    // "ERROR" box with an OK button.
    virtual void Error(const QString& text) = 0;
    // Plain message with an OK button.
    virtual void Notice(const QString& text) = 0;
    // The same, for a flow that goes on only once the user has read it;
    // `answered` runs after OK. Without a way to ask, right after Notice.
    virtual void Acknowledge(const QString& text, Answered<bool> answered);
    // "CAUTION" box; true for Yes, false for No.
    virtual void AskYesNo(const QString& text, Answered<bool> answered) = 0;
    // "CAUTION" box; true for OK, false for Cancel.
    virtual void AskOkCancel(const QString& text, Answered<bool> answered) = 0;

    // CSV file dialogs ("csv file|*.csv"); an empty answer means cancelled.
    // The save dialog does not ask about overwriting: its caller does.
    virtual void SaveFileName(const QString& initialFolder, const QString& suggestedName,
                              Answered<QString> answered) = 0;
    virtual void OpenFileName(const QString& initialFolder, Answered<QString> answered) = 0;
    // The SNIRF export's save dialog ("*.snirf"); asks nothing about overwriting.
    virtual void SnirfFileName(const QString& initialFolder, const QString& suggestedName,
                               Answered<QString> answered) = 0;

    // The BIDS export's dialog, offered with initial; nothing for Cancel.
    // Without a way to ask, it is cancelled.
    virtual void BidsExportSettings(const BidsExportChoice& initial,
                                    Answered<std::optional<BidsExportChoice>> answered);

    // A line of text, offered with initialText; nothing for Cancel. Without
    // a way to ask, it is cancelled.
    virtual void AskText(const QString& question, const QString& initialText,
                         Answered<std::optional<QString>> answered);

    // The connection settings dialog; nothing when it was cancelled.
    virtual void ConnectionSettings(const ConnectionOffer& offer,
                                    Answered<std::optional<ConnectionChoice>> answered) = 0;
};
