#include "support/ScriptedPrompts.h"

#include <gtest/gtest.h>

void ScriptedPrompts::Error(const QString& text) {
    shown << "ERROR: " + text;
    if (whileOpen) whileOpen(shown.last());
}

void ScriptedPrompts::Notice(const QString& text) {
    shown << "NOTICE: " + text;
    if (whileOpen) whileOpen(shown.last());
}

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

std::optional<QString> ScriptedPrompts::AskText(const QString& question, const QString& initialText) {
    shown << "TEXT: " + question;
    lastInitialText = initialText;
    if (texts.empty()) {
        ADD_FAILURE() << "text asked without a scripted answer: " << question.toStdString();
        return std::nullopt;
    }
    const std::optional<QString> answer = texts.front();
    texts.pop_front();
    return answer;
}

std::optional<BidsExportChoice> ScriptedPrompts::BidsExportSettings(const BidsExportChoice& initial) {
    shown << "BIDS";
    bidsOffered.push_back(initial);
    if (bidsAnswers.empty()) {
        ADD_FAILURE() << "BIDS export dialog shown without a scripted answer";
        return std::nullopt;
    }
    const std::optional<BidsExportChoice> answer = bidsAnswers.front();
    bidsAnswers.pop_front();
    return answer;
}

std::optional<ConnectionChoice> ScriptedPrompts::ConnectionSettings(const ConnectionOffer& offer) {
    shown << "CONNECT";
    if (connectionAnswers.empty()) {
        ADD_FAILURE() << "connection dialog shown without a scripted answer";
        return std::nullopt;
    }
    auto answer = connectionAnswers.front();
    connectionAnswers.pop_front();
    return answer(offer);
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
    if (whileFileDialogOpen) whileFileDialogOpen(QString::fromLatin1(kind));
    if (fileNames.empty()) {
        ADD_FAILURE() << kind << " dialog shown without a scripted file name";
        return {};
    }
    const QString name = fileNames.front();
    fileNames.pop_front();
    return name;
}
