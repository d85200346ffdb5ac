#include "data/CsvSaveFlow.h"

#include <QDir>
#include <QFileInfo>

#include "prompts/Prompts.h"
#include "data/CsvWriter.h"
#include "data/SampleStore.h"

namespace {

// The file dialog's default extension.
QString WithDefaultExtension(const QString& path) {
    return QFileInfo(path).suffix().isEmpty() ? path + QStringLiteral(".csv") : path;
}

}  // namespace

bool Save(SampleStore& store, Prompts& prompts, const QString& DataFolder, QString& SavedFileName,
          const std::function<void()>& processEvents, QString* savedPath) {
    if (store.DataSaved || store.SampleCount == 0) return false;

    QString path;
    for (;;) {
        path = prompts.SaveFileName(DataFolder, QString());
        if (path.isEmpty()) return false;
        path = WithDefaultExtension(path);
        if (!QFileInfo::exists(path)) break;
        // Yes keeps the old file until the new one is complete.
        if (prompts.AskYesNo(QString::fromLatin1(OverwriteQuestionText))) break;
    }

    SavedFileName = QFileInfo(path).fileName();
    const CsvWriteOutcome outcome = WriteRecordFile(store, path, processEvents);
    switch (outcome.result) {
    case CsvWriteResult::Written:
        store.DataSaved = true;
        if (savedPath) *savedPath = path;
        return true;
    case CsvWriteResult::CannotCreate:
        prompts.Error(QString::fromLatin1(UnableToCreateFileText));
        return false;
    case CsvWriteResult::WriteFailed:
        prompts.Error(QStringLiteral("Unable to write %1 completely (%2). The record was not saved; "
                                     "an existing file of that name is unchanged.")
                          .arg(QDir::toNativeSeparators(path), outcome.errorText));
        return false;
    }
    return false;
}

bool SaveWithNotice(SampleStore& store, Prompts& prompts, const QString& DataFolder, QString& SavedFileName,
                    const std::function<void()>& processEvents) {
    if (!Save(store, prompts, DataFolder, SavedFileName, processEvents)) return false;
    prompts.Notice(SavedFileName + QString::fromLatin1(CreatedText));
    return true;
}
