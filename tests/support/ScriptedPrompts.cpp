#include "support/ScriptedPrompts.h"

#include <gtest/gtest.h>

void ScriptedPrompts::Error(const QString& text) { shown << "ERROR: " + text; }

void ScriptedPrompts::Notice(const QString& text) { shown << "NOTICE: " + text; }

bool ScriptedPrompts::AskYesNo(const QString& text) { return NextAnswer(text); }

bool ScriptedPrompts::AskOkCancel(const QString& text) { return NextAnswer(text); }

QString ScriptedPrompts::SaveFileName(const QString& initialFolder, const QString& suggestedName) {
    lastSaveFolder = initialFolder;
    lastSuggestedName = suggestedName;
    return NextFileName("SAVE");
}

QString ScriptedPrompts::OpenFileName(const QString&) { return NextFileName("OPEN"); }

QString ScriptedPrompts::SnirfFileName(const QString& initialFolder, const QString& suggestedName) {
    lastSaveFolder = initialFolder;
    lastSuggestedName = suggestedName;
    return NextFileName("SNIRF");
}

bool ScriptedPrompts::ConnectionSettings(TForm2& dialog) {
    shown << "CONNECT";
    if (connectionAnswers.empty()) {
        ADD_FAILURE() << "connection dialog shown without a scripted answer";
        return false;
    }
    auto answer = connectionAnswers.front();
    connectionAnswers.pop_front();
    return answer(dialog);
}

void ScriptedPrompts::PrintSetup(QPrinter& printer) {
    shown << "PRINT SETUP";
    if (printSetupAnswers.empty()) return;
    auto answer = printSetupAnswers.front();
    printSetupAnswers.pop_front();
    answer(printer);
}

bool ScriptedPrompts::Print(QPrinter& printer) {
    shown << "PRINT";
    if (printAnswers.empty()) {
        ADD_FAILURE() << "print dialog shown without a scripted answer";
        return false;
    }
    auto answer = printAnswers.front();
    printAnswers.pop_front();
    return answer(printer);
}

bool ScriptedPrompts::NextAnswer(const QString& text) {
    shown << "ASK: " + text;
    if (answers.empty()) {
        ADD_FAILURE() << "question without a scripted answer: " << text.toStdString();
        return false;
    }
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

QString ScriptedPrompts::NextFileName(const char* kind) {
    shown << kind;
    if (fileNames.empty()) {
        ADD_FAILURE() << kind << " dialog shown without a scripted file name";
        return {};
    }
    const QString name = fileNames.front();
    fileNames.pop_front();
    return name;
}
