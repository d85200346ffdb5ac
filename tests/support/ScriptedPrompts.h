#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

#include "app/Prompts.h"

// Answers prompts from a script and records what was shown, so a test can
// drive a whole flow and then check every message the user would have seen.
// A prompt with no scripted answer fails the test.
class ScriptedPrompts : public Prompts {
public:
    QStringList shown;  // "ERROR: ...", "NOTICE: ...", "ASK: ...", "SAVE", "OPEN", "SNIRF", "CONNECT", "PRINT SETUP", "PRINT"

    std::deque<bool> answers;        // for AskYesNo and AskOkCancel
    std::deque<QString> fileNames;   // for SaveFileName and OpenFileName
    std::deque<std::function<bool(TForm2&)>> connectionAnswers;
    // For Print: each sets the printer up as the user would and says whether to print.
    std::deque<std::function<bool(QPrinter&)>> printAnswers;
    // For PrintSetup: each changes the printer as the user would; none leaves it as it is.
    std::deque<std::function<void(QPrinter&)>> printSetupAnswers;

    void Error(const QString& text) override;
    void Notice(const QString& text) override;
    bool AskYesNo(const QString& text) override;
    bool AskOkCancel(const QString& text) override;
    QString SaveFileName(const QString& initialFolder, const QString& suggestedName) override;
    QString OpenFileName(const QString& initialFolder) override;
    QString SnirfFileName(const QString& initialFolder, const QString& suggestedName) override;
    bool ConnectionSettings(TForm2& dialog) override;
    void PrintSetup(QPrinter& printer) override;
    bool Print(QPrinter& printer) override;

    QString lastSaveFolder;
    QString lastSuggestedName;

private:
    bool NextAnswer(const QString& text);
    QString NextFileName(const char* kind);
};
