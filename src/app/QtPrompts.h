#pragma once

#include <QPointer>
#include <QWidget>

#include "app/PrintPrompts.h"
#include "prompts/Prompts.h"

class TForm2;

// The prompts as the user sees them: Qt message boxes and dialogs, each
// preceded by the default beep, modal over the whole program. None is run
// in an event loop of its own: each is opened and the call returns; the
// answer goes to its receiver when the user closes the dialog. Meanwhile
// the program's timers, radio and network go on as ever.
class QtPrompts : public Prompts, public PrintPrompts {
public:
    // The window the boxes belong to; set once the main window exists.
    void SetParent(QWidget* parent) { parent_ = parent; }
    // The connection dialog, made by the main window.
    void SetConnectionDialog(TForm2* dialog) { connectionDialog_ = dialog; }

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
    void BidsExportSettings(const BidsExportChoice& initial,
                            Answered<std::optional<BidsExportChoice>> answered) override;
    void ConnectionSettings(const ConnectionOffer& offer, Answered<std::optional<ConnectionChoice>> answered) override;
    void PrintSetup(QPrinter& printer) override;
    bool Print(QPrinter& printer) override;

private:
    QPointer<QWidget> parent_;
    TForm2* connectionDialog_ = nullptr;  // owned by the main window
};
