#pragma once

#include <QPointer>
#include <QWidget>

#include "app/Prompts.h"

// The prompts as the user sees them: Qt message boxes and file dialogs,
// each preceded by the default beep, modal over the main window.
class QtPrompts : public Prompts {
public:
    // The window the boxes belong to; set once the main window exists.
    void SetParent(QWidget* parent) { parent_ = parent; }

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

private:
    QPointer<QWidget> parent_;
};
