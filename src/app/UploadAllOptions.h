#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <optional>

// What `--upload-all` asks for: every stored record collected without a window.
struct UploadAllRequest {
    QString folder;    // the record files go here; made when missing
    int parallel = 3;  // uploads at once
    bool merge = false;  // the event log's marks go into the records
};

// The options of --upload-all, each with its help text.
struct UploadAllOptions {
    UploadAllOptions();
    QCommandLineOption folder;
    QCommandLineOption parallel;
    QCommandLineOption merge;

    QList<QCommandLineOption> All() const { return {folder, parallel, merge}; }
    // Any option of --upload-all but --upload-all itself was given.
    bool AnyButFolderSet(const QCommandLineParser& parser) const;
};

// What the exit codes of --upload-all mean, for --help.
extern const char* const UploadAllExitCodes;

// The request, once --upload-all is known to be set; nothing, with the
// problem in a sentence, when an option is wrong.
std::optional<UploadAllRequest> ParseUploadAllOptions(const QCommandLineParser& parser, const UploadAllOptions& options,
                                                      QString* problem);
