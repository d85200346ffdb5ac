#pragma once

#include <QString>
#include <QStringList>

#include "app/RecordRequest.h"
#include "app/UploadAllOptions.h"
#include "export/BidsNames.h"

// What the command line asks for.
struct CommandLine {
    enum class Action {
        Window,       // the measurement window (with --simulate[=N] read by CreateCentral)
        Help,         // print `text` and exit 0
        Version,      // print `text` and exit 0
        ExportSnirf,  // convert `exportInputs`, into `exportOutput` when given
        ExportBids,   // write `exportInputs` into `bidsTarget`
        Record,       // measure as `record` asks, without a window
        UploadAll,    // collect every stored record as `uploadAll` asks, without a window
        UsageError,   // print `text` on stderr and exit 2
    };
    Action action = Action::Window;
    QString text;
    QStringList exportInputs;
    QString exportOutput;
    QString exportSubject;  // --subject, the SubjectID of the files
    bool exportOverwrite = false;  // --overwrite: SNIRF files that exist may be replaced
    BidsTarget bidsTarget;  // --export-bids and its labels
    RecordRequest record;   // --record and its options
    UploadAllRequest uploadAll;  // --upload-all and its options
    // For CreateCentral: the program's name and the --simulate=N asked for, if any.
    QStringList centralArguments;
};

inline constexpr int UsageErrorExitCode = 2;

// arguments as the program got them, the program's name first. Qt's own
// window options (-platform, -style, ...) are accepted and left to the
// window's application object.
CommandLine ParseCommandLine(const QStringList& arguments);

// Prints help, version or a usage error, or runs the conversion, the
// recording or the upload; the exit code.
int RunWithoutWindow(const CommandLine& commandLine);
