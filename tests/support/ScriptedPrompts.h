#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "prompts/Prompts.h"

// Answers prompts from a script and records what was shown, so a test can
// drive a whole flow and then check every message the user would have seen.
// A question with no scripted answer fails the test.
//
// A question is answered within the call that asks it, like a user who
// answers at once; with holdAnswers, it stays open until the test answers
// it (AnswerHeld), like a user who takes their time while the program goes on.
class ScriptedPrompts : public Prompts {
public:
    // "ERROR: ...", "NOTICE: ...", "ASK: ...", "TEXT: ...", "SAVE", "OPEN", "SNIRF", "CONNECT", "BIDS"
    QStringList shown;

    std::deque<bool> answers;        // for AskYesNo and AskOkCancel
    std::deque<QString> fileNames;   // for SaveFileName, OpenFileName and SnirfFileName
    std::deque<std::optional<QString>> texts;  // for AskText; nothing is Cancel
    QString lastInitialText;                   // what the last AskText offered
    std::deque<std::optional<BidsExportChoice>> bidsAnswers;  // for BidsExportSettings; nothing is Cancel
    std::vector<BidsExportChoice> bidsOffered;                // what each BidsExportSettings offered
    // For ConnectionSettings: each sees what the dialog offers and answers
    // with a choice, or nothing for Cancel.
    std::deque<std::function<std::optional<ConnectionChoice>(const ConnectionOffer&)>> connectionAnswers;

    // Sees each error and notice as it is shown ("ERROR: ...", "NOTICE: ..."),
    // for a test that shows it for real too.
    std::function<void(const QString& shownText)> onMessage;

    // Questions wait for AnswerHeld instead of being answered at once.
    bool holdAnswers = false;
    // The questions asked and not answered yet, oldest first.
    int HeldCount() const { return static_cast<int>(held_.size()); }
    // Answers the oldest open question with its scripted answer; false when none is open.
    bool AnswerHeld();

    void Error(const QString& text) override;
    void Notice(const QString& text) override;
    void Acknowledge(const QString& text, Answered<bool> answered) override;
    void AskYesNo(const QString& text, Answered<bool> answered) override;
    void AskOkCancel(const QString& text, Answered<bool> answered) override;
    void SaveFileName(const QString& initialFolder, const QString& suggestedName, Answered<QString> answered) override;
    void OpenFileName(const QString& initialFolder, Answered<QString> answered) override;
    void SnirfFileName(const QString& initialFolder, const QString& suggestedName,
                       Answered<QString> answered) override;
    void AskText(const QString& question, const QString& initialText,
                 Answered<std::optional<QString>> answered) override;
    void ConnectionSettings(const ConnectionOffer& offer, Answered<std::optional<ConnectionChoice>> answered) override;
    void BidsExportSettings(const BidsExportChoice& initial,
                            Answered<std::optional<BidsExportChoice>> answered) override;

    QString lastSaveFolder;
    QString lastSuggestedName;

private:
    // Answers now, or keeps the answer for AnswerHeld.
    void Deliver(std::function<void()> answer);
    void AskAnswer(const QString& text, Answered<bool> answered);
    void FileName(const char* kind, Answered<QString> answered);

    std::deque<std::function<void()>> held_;
};
