#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "prompts/Prompts.h"

// Answers prompts from a script and records what was shown, so a test can
// drive a whole flow and then check every message the user would have seen.
// A prompt with no scripted answer fails the test.
class ScriptedPrompts : public Prompts {
public:
    // "ERROR: ...", "NOTICE: ...", "ASK: ...", "TEXT: ...", "SAVE", "OPEN", "SNIRF", "CONNECT", "BIDS"
    QStringList shown;

    std::deque<bool> answers;        // for AskYesNo and AskOkCancel
    std::deque<QString> fileNames;   // for SaveFileName and OpenFileName
    std::deque<std::optional<QString>> texts;  // for AskText; nothing is Cancel
    QString lastInitialText;                   // what the last AskText offered
    std::deque<std::optional<BidsExportChoice>> bidsAnswers;  // for BidsExportSettings; nothing is Cancel
    std::vector<BidsExportChoice> bidsOffered;                // what each BidsExportSettings offered
    // For ConnectionSettings: each sees what the dialog offers and answers
    // with a choice, or nothing for Cancel.
    std::deque<std::function<std::optional<ConnectionChoice>(const ConnectionOffer&)>> connectionAnswers;

    void Error(const QString& text) override;
    void Notice(const QString& text) override;
    bool AskYesNo(const QString& text) override;
    bool AskOkCancel(const QString& text) override;
    QString SaveFileName(const QString& initialFolder, const QString& suggestedName) override;
    QString OpenFileName(const QString& initialFolder) override;
    QString SnirfFileName(const QString& initialFolder, const QString& suggestedName) override;
    std::optional<QString> AskText(const QString& question, const QString& initialText) override;
    std::optional<ConnectionChoice> ConnectionSettings(const ConnectionOffer& offer) override;
    std::optional<BidsExportChoice> BidsExportSettings(const BidsExportChoice& initial) override;

    // Runs while an error or a notice is open, as the event loop of a real
    // message box runs until the user clicks OK; empty: closed at once.
    std::function<void(const QString& shownText)> whileOpen;
    // The same for the file dialogs: runs while one is open ("SAVE", "OPEN", "SNIRF").
    std::function<void(const QString& kind)> whileFileDialogOpen;

    QString lastSaveFolder;
    QString lastSuggestedName;

private:
    bool NextAnswer(const QString& text);
    QString NextFileName(const char* kind);
};
