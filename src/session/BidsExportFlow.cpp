// File > Export BIDS...: the record in memory becomes the next run of a
// subject in a BIDS dataset.
#include <QDir>

#include "export/BidsDataset.h"
#include "prompts/Prompts.h"
#include "session/AcquisitionSession.h"
#include "session/ExportTexts.h"
#include "session/StringTable.h"

namespace {

BidsExportChoice Trimmed(const BidsExportChoice& answer) {
    return {answer.dataset.trimmed(), answer.subject.trimmed(), answer.session.trimmed(), answer.task.trimmed()};
}

}  // namespace

void AcquisitionSession::ExportBidsClicked() {
    FlowInput input(*this, "the Export BIDS click");
    if (!ExportAllowed()) return;
    AskBidsExportSettings({Exports.BidsDataset, Exports.BidsSubject, Exports.BidsSession, Exports.BidsTask},
                          [this](const std::optional<BidsExportChoice>& answer) {
                              if (answer) ExportBidsTo(Trimmed(*answer));
                          });
}

// Labels BIDS cannot take are said, and the dialog comes back with them.
void AcquisitionSession::ExportBidsTo(const BidsExportChoice& choice) {
    const BidsTarget target{choice.dataset, choice.subject, choice.session, choice.task, 0};
    const QString problem = BidsTargetProblem(target);
    if (!problem.isEmpty()) {
        prompts_.Error(MsgBidsNotExported.arg(problem));
        AskBidsExportSettings(choice, [this](const std::optional<BidsExportChoice>& answer) {
            if (answer) ExportBidsTo(Trimmed(*answer));
        });
        return;
    }
    if (!ExportAllowed()) return;
    Exports.BidsDataset = choice.dataset;
    Exports.BidsSubject = choice.subject;
    Exports.BidsSession = choice.session;
    Exports.BidsTask = choice.task;

    SetBusy(true);
    // Run 0: the next one, chosen while the dataset is locked against other exports.
    const BidsRunOutcome outcome = WriteBidsRun(Shown().Store, target, 0, {AppCaption, ProgramVersion});
    SetBusy(false);
    if (!outcome.written) {
        prompts_.Error(MsgBidsNotExported.arg(outcome.reason));
        return;
    }
    prompts_.Notice(MsgBidsExported.arg(outcome.runStem, QDir::toNativeSeparators(target.dataset)));
}
