// The raw intensities of an uploaded record are in no CSV file, and the
// sensor clears its log once the upload is saved: the save also writes the
// record as a SNIRF file of the same name beside the record file.
#include <QDir>
#include <QFileInfo>

#include "export/ExportCommand.h"
#include "export/SnirfWriter.h"
#include "prompts/Prompts.h"
#include "session/AcquisitionSession.h"
#include "session/ExportTexts.h"

void AcquisitionSession::WriteSnirfBesideRecord(const QString& recordPath, std::function<void()> then) {
    snirfBeside_ = {};
    if (!Store.HasRawIntensities || !Exports.SnirfBesideUploads) {
        then();
        return;
    }
    snirfBeside_.wanted = true;
    const QString path = SnirfPathFor(recordPath);
    const QString name = QFileInfo(path).fileName();
    auto write = [this, path, name, then] {
        const SnirfWriteOutcome outcome = WriteSnirfFile(Store, path);
        if (outcome.written) snirfBeside_.name = name;
        else prompts_.Error(MsgSnirfBesideNotWritten.arg(QDir::toNativeSeparators(path), outcome.reason, SavedFileName));
        then();
    };
    // A file of that name may be another export of the user's own.
    if (!QFileInfo::exists(path)) {
        write();
        return;
    }
    AskYesNo(MsgSnirfBesideExists.arg(name), [write, then](bool overwrite) {
        if (overwrite) write();
        else then();
    });
}

QString AcquisitionSession::SavedFilesText() const {
    QStringList files = savedFiles_;
    if (!snirfBeside_.name.isEmpty()) files << snirfBeside_.name;
    return ListOfNames(files);
}

bool AcquisitionSession::RawIntensitiesKept() const { return !snirfBeside_.wanted || !snirfBeside_.name.isEmpty(); }
