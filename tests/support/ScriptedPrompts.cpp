#include "support/ScriptedPrompts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The next scripted answer; with none left, the test fails and `none`
// answers in its place.
template <typename Answer>
Answer TakeScripted(std::deque<Answer>& script, Answer none, const std::string& missing) {
    if (script.empty()) {
        ADD_FAILURE() << missing;
        return none;
    }
    Answer answer = std::move(script.front());
    script.pop_front();
    return answer;
}

}  // namespace

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
        answered(TakeScripted(texts, std::optional<QString>{},
                              "text asked without a scripted answer: " + question.toStdString()));
    });
}

void ScriptedPrompts::BidsExportSettings(const BidsExportChoice& initial,
                                         Answered<std::optional<BidsExportChoice>> answered) {
    shown << "BIDS";
    bidsOffered.push_back(initial);
    Deliver([this, answered] {
        answered(TakeScripted(bidsAnswers, std::optional<BidsExportChoice>{},
                              "BIDS export dialog shown without a scripted answer"));
    });
}

void ScriptedPrompts::ConnectionSettings(const ConnectionOffer& offer,
                                         Answered<std::optional<ConnectionChoice>> answered) {
    shown << "CONNECT";
    Deliver([this, offer, answered] {
        const auto answer = TakeScripted(connectionAnswers, {}, "connection dialog shown without a scripted answer");
        answered(answer ? answer(offer) : std::nullopt);
    });
}

void ScriptedPrompts::AskAnswer(const QString& text, Answered<bool> answered) {
    shown << "ASK: " + text;
    Deliver([this, text, answered] {
        answered(TakeScripted(answers, false, "question without a scripted answer: " + text.toStdString()));
    });
}

void ScriptedPrompts::FileName(const char* kind, Answered<QString> answered) {
    shown << kind;
    Deliver([this, kind, answered] {
        answered(TakeScripted(fileNames, QString(), std::string(kind) + " dialog shown without a scripted file name"));
    });
}
