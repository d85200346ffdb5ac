// File > Export SNIRF...: the record in memory as a SNIRF file, after its
// file name and the subject were asked.
#include <QDir>
#include <QFileInfo>

#include "data/CsvSaveFlow.h"
#include "export/SnirfWriter.h"
#include "prompts/Prompts.h"
#include "session/AcquisitionSession.h"
#include "session/ExportTexts.h"
#include "session/StringTable.h"

// Nothing is about to replace the record (a start, an upload, a save) and it
// holds samples of haemoglobin.
bool AcquisitionSession::ExportAllowed() const {
    const SampleStore& store = Shown().Store;
    if (store.SampleCount == 0 || store.CheckSensorsMode || save_.active || asking_) return false;
    switch (activity_) {
        case SessionMode::ScanningForConnection:
        case SessionMode::ChoosingSensor:
        case SessionMode::Connecting:
        case SessionMode::EndingMeasurement:
        case SessionMode::WaitingForUploadScan:
        case SessionMode::Uploading:
        case SessionMode::UploadDone:
        // The writer thread writes the uploads' SNIRF files meanwhile.
        case SessionMode::WaitingForUploadAllScan:
        case SessionMode::UploadingAll:
            return false;
        default:
            return true;
    }
}

void AcquisitionSession::ExportSnirfClicked() {
    FlowInput input(*this, "the Export SNIRF click");
    if (ExportAllowed()) AskSnirfExportFile();
}

// The file dialog, and the question before a file is replaced; No shows
// the dialog again.
void AcquisitionSession::AskSnirfExportFile() {
    AskSnirfFileName([this](const QString& answer) {
        if (answer.isEmpty()) return;
        QString path = answer;
        if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".snirf");
        if (!QFileInfo::exists(path)) {
            ExportSnirfTo(path);
            return;
        }
        AskYesNo(QString::fromLatin1(OverwriteQuestionText), [this, path](bool overwrite) {
            if (overwrite) ExportSnirfTo(path);
            else AskSnirfExportFile();
        });
    });
}

// Writes the record as it is when the last answer comes; the writer does
// not yield, so the record cannot change under it.
void AcquisitionSession::ExportSnirfTo(const QString& path) {
    AskText(MsgSnirfSubjectQuestion, Exports.Subject, [this, path](const std::optional<QString>& subject) {
        if (!subject || !ExportAllowed()) return;
        Exports.Subject = subject->trimmed();
        SetBusy(true);
        const SnirfWriteOutcome outcome = WriteSnirfFile(Shown().Store, path, Exports.Subject);
        SetBusy(false);
        if (!outcome.written) {
            prompts_.Error(QStringLiteral("Unable to export %1 (%2). An existing file of that name is unchanged.")
                               .arg(QDir::toNativeSeparators(path), outcome.reason));
            return;
        }
        prompts_.Notice(QFileInfo(path).fileName() + MsgCreatedSuffix);
    });
}
