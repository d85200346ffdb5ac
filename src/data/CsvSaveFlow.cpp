#include "data/CsvSaveFlow.h"

#include <QDir>
#include <QFileInfo>

#include "data/CsvWriter.h"

QString WithCsvExtension(const QString& path) {
    return QFileInfo(path).suffix().isEmpty() ? path + QStringLiteral(".csv") : path;
}

QString SaveFailureText(const CsvWriteOutcome& outcome, const QString& path) {
    if (outcome.result == CsvWriteResult::CannotCreate) return QString::fromLatin1(UnableToCreateFileText);
    return QStringLiteral("Unable to write %1 completely (%2). The record was not saved; "
                          "an existing file of that name is unchanged.")
        .arg(QDir::toNativeSeparators(path), outcome.errorText);
}
