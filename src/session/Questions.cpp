// The session's questions. Each is shown and the call returns; the answer
// comes later as an input of its own, which carries the flow on. One
// question is open at a time: one asked meanwhile (a flow that ends while
// the user answers another) waits until the open one is answered.
#include <QDir>
#include <QPointer>

#include "prompts/Prompts.h"
#include "session/AcquisitionSession.h"
#include "session/StringTable.h"

template <typename Answer>
Answered<Answer> AcquisitionSession::WhenAnswered(std::function<void(Answer)> then) {
    return [alive = QPointer<AcquisitionSession>(this), then = std::move(then)](Answer answer) {
        if (!alive) return;  // the session is gone, and the question with it
        AcquisitionSession& session = *alive;
        FlowInput input(session, "an answer");
        session.asking_ = false;
        then(std::move(answer));
        session.ShowHeldQuestion();
    };
}

void AcquisitionSession::Ask(std::function<void()> show) {
    if (asking_) {
        heldQuestions_.push_back(std::move(show));
        return;
    }
    asking_ = true;
    show();
}

void AcquisitionSession::ShowHeldQuestion() {
    if (asking_ || heldQuestions_.empty()) return;
    std::function<void()> show = std::move(heldQuestions_.front());
    heldQuestions_.pop_front();
    asking_ = true;
    show();
}

void AcquisitionSession::AskYesNo(const QString& text, std::function<void(bool)> then) {
    Ask([this, text, answered = WhenAnswered<bool>(std::move(then))] { prompts_.AskYesNo(text, answered); });
}

void AcquisitionSession::AskOkCancel(const QString& text, std::function<void(bool)> then) {
    Ask([this, text, answered = WhenAnswered<bool>(std::move(then))] { prompts_.AskOkCancel(text, answered); });
}

void AcquisitionSession::AskSaveFileName(std::function<void(QString)> then) {
    Ask([this, answered = WhenAnswered<QString>(std::move(then))] {
        prompts_.SaveFileName(DataFolder, QString(), answered);
    });
}

void AcquisitionSession::AskOpenFileName(std::function<void(QString)> then) {
    Ask([this, answered = WhenAnswered<QString>(std::move(then))] { prompts_.OpenFileName(DataFolder, answered); });
}

void AcquisitionSession::AskSnirfFileName(std::function<void(QString)> then) {
    Ask([this, answered = WhenAnswered<QString>(std::move(then))] {
        prompts_.SnirfFileName(DataFolder, QString(), answered);
    });
}

void AcquisitionSession::AskText(const QString& question, const QString& initialText,
                                 std::function<void(std::optional<QString>)> then) {
    Ask([this, question, initialText, answered = WhenAnswered<std::optional<QString>>(std::move(then))] {
        prompts_.AskText(question, initialText, answered);
    });
}

void AcquisitionSession::AskBidsExportSettings(const BidsExportChoice& initial,
                                               std::function<void(std::optional<BidsExportChoice>)> then) {
    Ask([this, initial, answered = WhenAnswered<std::optional<BidsExportChoice>>(std::move(then))] {
        prompts_.BidsExportSettings(initial, answered);
    });
}

void AcquisitionSession::AskConnectionSettings(const ConnectionOffer& offer,
                                               std::function<void(std::optional<ConnectionChoice>)> then) {
    Ask([this, offer, answered = WhenAnswered<std::optional<ConnectionChoice>>(std::move(then))] {
        prompts_.ConnectionSettings(offer, answered);
    });
}

// A measurement, an upload or a file replaces the record in memory: one that
// is not saved is only dropped when the user says so.
void AcquisitionSession::ConfirmDiscard(std::function<void()> then) {
    if (!AnyRecordToLose()) {
        then();
        return;
    }
    AskYesNo(MsgDiscardUnsavedData, [then = std::move(then)](bool discard) {
        if (discard) then();
    });
}
