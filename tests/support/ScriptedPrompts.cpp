#include "support/ScriptedPrompts.h"

#include <gtest/gtest.h>

void ScriptedPrompts::Deliver(std::function<void()> answer) {
    if (holdAnswers) held_.push_back(std::move(answer));
    else answer();
}

bool ScriptedPrompts::AnswerHeld() {
    if (held_.empty()) return false;
    std::function<void()> answer = std::move(held_.front());
    held_.pop_front();
    answer();
    return true;
}

void ScriptedPrompts::Error(const QString& text) {
    shown << "ERROR: " + text;
    if (onMessage) onMessage(shown.last());
}

void ScriptedPrompts::Notice(const QString& text) {
    shown << "NOTICE: " + text;
    if (onMessage) onMessage(shown.last());
}

void ScriptedPrompts::Acknowledge(const QString& text, Answered<bool> answered) {
    shown << "NOTICE: " + text;
    Deliver([answered] { answered(true); });
}

void ScriptedPrompts::AskYesNo(const QString& text, Answered<bool> answered) { AskAnswer(text, answered); }

void ScriptedPrompts::AskOkCancel(const QString& text, Answered<bool> answered) { AskAnswer(text, answered); }

void ScriptedPrompts::SaveFileName(const QString& initialFolder, const QString& suggestedName,
                                   Answered<QString> answered) {
    lastSaveFolder = initialFolder;
    lastSuggestedName = suggestedName;
    FileName("SAVE", answered);
}

void ScriptedPrompts::OpenFileName(const QString&, Answered<QString> answered) { FileName("OPEN", answered); }

void ScriptedPrompts::SnirfFileName(const QString& initialFolder, const QString& suggestedName,
                                    Answered<QString> answered) {
    lastSaveFolder = initialFolder;
    lastSuggestedName = suggestedName;
    FileName("SNIRF", answered);
}

void ScriptedPrompts::AskText(const QString& question, const QString& initialText,
                              Answered<std::optional<QString>> answered) {
    shown << "TEXT: " + question;
    lastInitialText = initialText;
    Deliver([this, question, answered] {
        if (texts.empty()) {
            ADD_FAILURE() << "text asked without a scripted answer: " << question.toStdString();
            answered(std::nullopt);
            return;
        }
        const std::optional<QString> answer = texts.front();
        texts.pop_front();
        answered(answer);
    });
}

void ScriptedPrompts::BidsExportSettings(const BidsExportChoice& initial,
                                         Answered<std::optional<BidsExportChoice>> answered) {
    shown << "BIDS";
    bidsOffered.push_back(initial);
    Deliver([this, answered] {
        if (bidsAnswers.empty()) {
            ADD_FAILURE() << "BIDS export dialog shown without a scripted answer";
            answered(std::nullopt);
            return;
        }
        const std::optional<BidsExportChoice> answer = bidsAnswers.front();
        bidsAnswers.pop_front();
        answered(answer);
    });
}

void ScriptedPrompts::ConnectionSettings(const ConnectionOffer& offer,
                                         Answered<std::optional<ConnectionChoice>> answered) {
    shown << "CONNECT";
    Deliver([this, offer, answered] {
        if (connectionAnswers.empty()) {
            ADD_FAILURE() << "connection dialog shown without a scripted answer";
            answered(std::nullopt);
            return;
        }
        auto answer = connectionAnswers.front();
        connectionAnswers.pop_front();
        answered(answer(offer));
    });
}

void ScriptedPrompts::AskAnswer(const QString& text, Answered<bool> answered) {
    shown << "ASK: " + text;
    Deliver([this, text, answered] {
        if (answers.empty()) {
            ADD_FAILURE() << "question without a scripted answer: " << text.toStdString();
            answered(false);
            return;
        }
        const bool answer = answers.front();
        answers.pop_front();
        answered(answer);
    });
}

void ScriptedPrompts::FileName(const char* kind, Answered<QString> answered) {
    shown << kind;
    Deliver([this, kind, answered] {
        if (fileNames.empty()) {
            ADD_FAILURE() << kind << " dialog shown without a scripted file name";
            answered({});
            return;
        }
        const QString name = fileNames.front();
        fileNames.pop_front();
        answered(name);
    });
}
