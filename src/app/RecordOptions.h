#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <optional>

#include "app/RecordRequest.h"

// The options of --record, each with its help text.
struct RecordOptions {
    RecordOptions();
    QCommandLineOption folder;
    QCommandLineOption sensors;
    QCommandLineOption rate;
    QCommandLineOption duration;
    QCommandLineOption marksPort;

    QList<QCommandLineOption> All() const { return {folder, sensors, rate, duration, marksPort}; }
    // Any option of --record but --record itself was given.
    bool AnyButFolderSet(const QCommandLineParser& parser) const;
};

// What the exit codes of --record mean, for --help.
extern const char* const RecordExitCodes;

// The request, once --record is known to be set; nothing, with the problem
// in a sentence, when an option is wrong.
std::optional<RecordRequest> ParseRecordOptions(const QCommandLineParser& parser, const RecordOptions& options,
                                                QString* problem);
