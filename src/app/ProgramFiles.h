#pragma once

#include <QString>
#include <QStringList>

// Where the program keeps its settings, its event log and the records.
struct ProgramFiles {
    QString settingsFile;
    QString eventLogFile;
    QString dataFolder;
};

// The user's own folders, as the desktop names them.
struct UserFolders {
    QString configuration;  // e.g. ~/.config
    QString applicationData;  // e.g. ~/.local/share
    QString documents;  // e.g. ~/Documents
};

// A copy in a writable folder (a build folder, a USB stick) keeps its files
// next to itself and its records below the working directory; an installed
// copy, whose folder the user cannot write, uses the user's own folders.
ProgramFiles LocateProgramFiles(const QString& programFilePath, bool programFolderWritable,
                                const QString& workingDirectory, const UserFolders& userFolders);

// The folders of the user running the program.
UserFolders CurrentUserFolders();

// The files of this program as it runs: the decision above on the real folders.
// The folders of an installed copy are made, so the settings can be written.
ProgramFiles ProgramFilesOf(const QString& programFilePath, const QString& workingDirectory);

// Where the manual may be, in order: next to the program, then where an
// installation under <prefix>/bin puts it, <prefix>/share/doc/tq580.
QStringList HelpFileCandidates(const QString& programFilePath, const QString& helpFileName);
