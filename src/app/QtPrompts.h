#pragma once

#include <QPointer>
#include <QWidget>

#include "app/PrintPrompts.h"
#include "prompts/Prompts.h"

class TForm2;

// The prompts as the user sees them: Qt message boxes and file dialogs,
// each preceded by the default beep, modal over the main window.
class QtPrompts : public Prompts, public PrintPrompts {
public:
    // The window the boxes belong to; set once the main window exists.
    void SetParent(QWidget* parent) { parent_ = parent; }
    // The connection dialog, made by the main window.
    void SetConnectionDialog(TForm2* dialog) { connectionDialog_ = dialog; }

    void Error(const QString& text) override;
    void Notice(const QString& text) override;
    bool AskYesNo(const QString& text) override;
    bool AskOkCancel(const QString& text) override;
    QString SaveFileName(const QString& initialFolder, const QString& suggestedName) override;
    QString OpenFileName(const QString& initialFolder) override;
    QString SnirfFileName(const QString& initialFolder, const QString& suggestedName) override;
    std::optional<QString> AskText(const QString& question, const QString& initialText) override;
    std::optional<BidsExportChoice> BidsExportSettings(const BidsExportChoice& initial) override;
    std::optional<ConnectionChoice> ConnectionSettings(const ConnectionOffer& offer) override;
    void PrintSetup(QPrinter& printer) override;
    bool Print(QPrinter& printer) override;

private:
    QPointer<QWidget> parent_;
    TForm2* connectionDialog_ = nullptr;  // owned by the main window
};
