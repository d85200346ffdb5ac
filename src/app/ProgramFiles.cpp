#include "app/ProgramFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "app/SettingsFile.h"

namespace {
// Folder names below the user's folders; lower case like the program's file name.
const QString InstalledFolderName = QStringLiteral("tq580");
const QString InstalledDataFolderName = QStringLiteral("Tq580");
}  // namespace

ProgramFiles LocateProgramFiles(const QString& programFilePath, bool programFolderWritable,
                                const QString& workingDirectory, const UserFolders& userFolders) {
    if (programFolderWritable)
        return {ReplaceExtension(programFilePath, QStringLiteral(".ini")),
                ReplaceExtension(programFilePath, QStringLiteral(".evl")),
                QDir(workingDirectory).filePath(QStringLiteral("Data"))};
    const QString baseName = QFileInfo(ReplaceExtension(programFilePath, QString())).fileName();
    return {QDir(userFolders.configuration).filePath(InstalledFolderName + QLatin1Char('/') + baseName + QStringLiteral(".ini")),
            QDir(userFolders.applicationData).filePath(InstalledFolderName + QLatin1Char('/') + baseName + QStringLiteral(".evl")),
            QDir(userFolders.documents).filePath(InstalledDataFolderName)};
}

UserFolders CurrentUserFolders() {
    return {QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation),
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)};
}

ProgramFiles ProgramFilesOf(const QString& programFilePath, const QString& workingDirectory) {
    const bool writable = QFileInfo(QFileInfo(programFilePath).absolutePath()).isWritable();
    const ProgramFiles files = LocateProgramFiles(programFilePath, writable, workingDirectory, CurrentUserFolders());
    if (!writable) {
        // The settings file and the event log are written without making their folders.
        QDir().mkpath(QFileInfo(files.settingsFile).absolutePath());
        QDir().mkpath(QFileInfo(files.eventLogFile).absolutePath());
    }
    return files;
}

QStringList HelpFileCandidates(const QString& programFilePath, const QString& helpFileName) {
    const QDir programFolder = QFileInfo(programFilePath).absoluteDir();
    return {programFolder.filePath(helpFileName),
            QDir::cleanPath(programFolder.filePath(QStringLiteral("../share/doc/tq580/") + helpFileName))};
}
