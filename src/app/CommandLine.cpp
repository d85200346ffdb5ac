#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <initializer_list>
#include <optional>

#include "app/CreateCentral.h"
#include "app/RecordCommand.h"
#include "app/RecordOptions.h"
#include "app/UploadAllCommand.h"
#include "export/BidsCommand.h"
#include "export/ExportCommand.h"

namespace {

constexpr const char* ConversionExitCodes =
    "Exit codes of --export-snirf and --export-bids:\n"
    "  0  every record file was written in full.\n"
    "  1  a record file was not written, or was written without rows it could not give; the error output names\n"
    "     each file, the lines and the reason. An existing SNIRF file is refused unless --overwrite is given,\n"
    "     and one holding an upload's raw intensities is never replaced by one without them.\n"
    "  2  the command line was wrong; nothing was written.\n";

// Options QGuiApplication takes for itself; accepted here so that they do
// not count as unknown.
const char* const QtWindowOptionsWithValue[] = {"platform", "platformpluginpath", "platformtheme", "plugin",
                                                "qwindowgeometry", "geometry", "qwindowtitle", "title",
                                                "qwindowicon", "icon", "style", "stylesheet",
                                                "display", "name", "qmljsdebugger"};
const char* const QtWindowFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

void AddHidden(QCommandLineParser& parser, const char* name, bool takesValue) {
    QCommandLineOption option(QString::fromLatin1(name));
    if (takesValue) option.setValueName(QStringLiteral("value"));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
}

// "--simulate" alone means the default number of sensors; the parser only
// knows options that always or never take a value.
QStringList WithSimulateCountSpelledOut(QStringList arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--")) break;
        if (arguments[i] == QLatin1String("--simulate"))
            arguments[i] = QStringLiteral("--simulate=%1").arg(DefaultSimulatedSensors);
    }
    return arguments;
}

const QString RecordOptionsOnlyWithRecord =
    QStringLiteral("--sensors, --rate, --duration and --marks-port are only used with --record.");

CommandLine UsageError(const QString& text) {
    CommandLine result;
    result.action = CommandLine::Action::UsageError;
    result.text = text + QStringLiteral("\nSee --help for the options.");
    return result;
}

// The usage error for the first of the options given that belongs to another
// command than `command`; nothing when none was given.
std::optional<CommandLine> OtherCommandsOption(const QCommandLineParser& parser,
                                               std::initializer_list<QCommandLineOption> others, const char* command) {
    for (const QCommandLineOption& other : others)
        if (parser.isSet(other))
            return UsageError(QStringLiteral("--%1 does not go with --%2.")
                                  .arg(other.names().constFirst(), QLatin1String(command)));
    return std::nullopt;
}

// The options of --export-bids, each with its help text.
struct BidsOptions {
    QCommandLineOption dataset{QStringLiteral("export-bids"),
                               QStringLiteral("Write saved record files (CSV) into the BIDS dataset DATASET without "
                                              "opening the window, each as the next run of --subject and --task (and "
                                              "--session); the record files follow as arguments."),
                               QStringLiteral("DATASET")};
    QCommandLineOption session{QStringLiteral("session"),
                               QStringLiteral("With --export-bids: the session label (letters and digits), if any."),
                               QStringLiteral("LABEL")};
    QCommandLineOption task{QStringLiteral("task"),
                            QStringLiteral("With --export-bids: the task label (letters and digits)."),
                            QStringLiteral("LABEL")};
    QCommandLineOption run{QStringLiteral("run"),
                           QStringLiteral("With --export-bids: the run of the first record, the others following it; "
                                          "by default the runs go on after those already in the dataset."),
                           QStringLiteral("N")};
};

CommandLine ParseBidsExport(const QCommandLineParser& parser, const BidsOptions& options,
                            const QCommandLineOption& subject) {
    CommandLine result;
    if (!parser.isSet(subject) || !parser.isSet(options.task))
        return UsageError(QStringLiteral("--export-bids needs --subject and --task."));
    BidsTarget& target = result.bidsTarget;
    target = {parser.value(options.dataset), parser.value(subject).trimmed(), parser.value(options.session).trimmed(),
              parser.value(options.task).trimmed(), 0};
    if (parser.isSet(options.run)) {
        bool number = false;
        target.firstRun = parser.value(options.run).toInt(&number);
        if (!number || target.firstRun < 1) return UsageError(QStringLiteral("--run takes a number from 1 on."));
    }
    const QString problem = BidsTargetProblem(target);
    if (!problem.isEmpty()) return UsageError(QStringLiteral("--export-bids: %1.").arg(problem));
    result.exportInputs = parser.positionalArguments();
    if (result.exportInputs.isEmpty()) return UsageError(QStringLiteral("--export-bids needs one or more record files."));
    result.action = CommandLine::Action::ExportBids;
    return result;
}

// Empty when --simulate-drop is absent, or given well and with --simulate.
QString SimulatedDropProblem(const QCommandLineParser& parser, const QCommandLineOption& simulate,
                             const QCommandLineOption& drop) {
    if (!parser.isSet(drop)) return QString();
    if (!parser.isSet(simulate)) return QStringLiteral("--simulate-drop goes with --simulate.");
    if (!ParseSimulatedDrop(parser.value(drop)))
        return QStringLiteral("--simulate-drop takes two numbers of seconds, as in --simulate-drop 20,8 (the link "
                              "drops 20 s after the start, for 8 s).");
    return QString();
}

// What CreateCentral reads: the program's name, --simulate and --simulate-drop.
QStringList CentralArguments(const QCommandLineParser& parser, const QString& program,
                             const QCommandLineOption& simulate, const QCommandLineOption& drop) {
    QStringList arguments{program};
    if (parser.isSet(simulate)) arguments << QStringLiteral("--simulate=") + parser.value(simulate);
    if (parser.isSet(drop)) arguments << QStringLiteral("--simulate-drop=") + parser.value(drop);
    return arguments;
}

// A command that runs the session gets the central's arguments,
// --simulate[=N] and --simulate-drop, once they were found right.
CommandLine WithSimulation(CommandLine command, const QCommandLineParser& parser, const QString& program,
                           const QCommandLineOption& simulate, const QCommandLineOption& drop) {
    if (command.action == CommandLine::Action::UsageError) return command;
    const QString dropProblem = SimulatedDropProblem(parser, simulate, drop);
    if (!dropProblem.isEmpty()) return UsageError(dropProblem);
    command.centralArguments = CentralArguments(parser, program, simulate, drop);
    // The window says this in a message; here it is the command line's mistake.
    if (SimulatedSensorCount(command.centralArguments) < 0)
        return UsageError(QStringLiteral("--simulate takes a number of sensors from 1 to 30, as in --simulate=2."));
    return command;
}

// A command whose folder is its option's value: the request its options
// give, into `field`, and no further arguments.
template <typename Request, typename Options, typename Parse>
CommandLine ParseFolderCommand(const QCommandLineParser& parser, const Options& options, Parse parse,
                               CommandLine::Action action, Request CommandLine::*field, const char* option) {
    QString problem;
    const std::optional<Request> request = parse(parser, options, &problem);
    if (!request) return UsageError(problem);
    if (!parser.positionalArguments().isEmpty())
        return UsageError(QStringLiteral("Unexpected argument '%1': --%2 takes its folder as --%2 DIR.")
                              .arg(parser.positionalArguments().constFirst(), QLatin1String(option)));
    CommandLine result;
    result.action = action;
    result.*field = *request;
    return result;
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral(
        "The Tq580 measurement program. Without options it opens the window on the computer's Bluetooth LE adapter."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption simulateOption(
        QStringLiteral("simulate"),
        QStringLiteral("Run on simulated sensors instead of Bluetooth LE: %1 of them, or N (1 to 30) with --simulate=N.")
            .arg(DefaultSimulatedSensors),
        QStringLiteral("N"));
    const QCommandLineOption exportOption(
        QStringLiteral("export-snirf"),
        QStringLiteral("Convert saved record files (CSV) to SNIRF without opening the window; each is written next "
                       "to its record with the extension .snirf. More files may follow as arguments."),
        QStringLiteral("RECORD.csv"));
    const QCommandLineOption outputOption(
        QStringLiteral("output"), QStringLiteral("With --export-snirf and one record file: the SNIRF file to write."),
        QStringLiteral("FILE.snirf"));
    const QCommandLineOption overwriteOption(
        QStringLiteral("overwrite"),
        QStringLiteral("With --export-snirf: replace SNIRF files that exist, which are otherwise refused. A file "
                       "holding an upload's raw intensities is never replaced by one without them."));
    const QCommandLineOption dropOption(
        QStringLiteral("simulate-drop"),
        QStringLiteral("With --simulate: the first simulated sensor (Tq580-123456-001) drops its link AFTER seconds "
                       "after a measurement or an upload starts on it and is gone for FOR seconds, so the reconnect "
                       "(or a failed upload) can be seen; the other sensors keep their links."),
        QStringLiteral("AFTER,FOR"));
    const QCommandLineOption subjectOption(
        QStringLiteral("subject"),
        QStringLiteral("With --export-snirf: the subject the records are of, written as SubjectID (\"unknown\" "
                       "without it). With --export-bids: the subject's label (letters and digits)."),
        QStringLiteral("LABEL"));
    const BidsOptions bids;
    const RecordOptions record;
    const UploadAllOptions uploadAll;
    parser.addOptions({simulateOption, dropOption, exportOption, outputOption, overwriteOption, bids.dataset,
                       subjectOption, bids.session, bids.task, bids.run});
    parser.addOptions(record.All());
    parser.addOptions(uploadAll.All());
    parser.addPositionalArgument(QStringLiteral("[MORE.csv ...]"), QStringLiteral("Further record files to convert."));
    for (const char* name : QtWindowOptionsWithValue) AddHidden(parser, name, true);
    for (const char* name : QtWindowFlags) AddHidden(parser, name, false);

    if (!parser.parse(WithSimulateCountSpelledOut(arguments))) return UsageError(parser.errorText());

    CommandLine result;
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all"))) {
        result.action = CommandLine::Action::Help;
        result.text = parser.helpText() + QLatin1Char('\n') + QLatin1String(ConversionExitCodes) + QLatin1Char('\n') +
                      QLatin1String(RecordExitCodes) + QLatin1Char('\n') + QLatin1String(UploadAllExitCodes);
        return result;
    }
    if (parser.isSet(versionOption)) {
        result.action = CommandLine::Action::Version;
        result.text = QCoreApplication::applicationName() + QLatin1Char(' ') + QCoreApplication::applicationVersion();
        return result;
    }
    if (parser.isSet(uploadAll.folder)) {
        if (const auto wrong = OtherCommandsOption(parser, {record.folder, exportOption, outputOption, overwriteOption,
                                                            bids.dataset, subjectOption, bids.session, bids.task,
                                                            bids.run},
                                                   "upload-all"))
            return *wrong;
        if (record.AnyButFolderSet(parser))
            return UsageError(RecordOptionsOnlyWithRecord);
        return WithSimulation(ParseFolderCommand(parser, uploadAll, ParseUploadAllOptions, CommandLine::Action::UploadAll,
                                                 &CommandLine::uploadAll, "upload-all"),
                              parser, arguments.value(0), simulateOption, dropOption);
    }
    if (uploadAll.AnyButFolderSet(parser))
        return UsageError(QStringLiteral("--parallel and --merge are only used with --upload-all."));
    if (parser.isSet(record.folder)) {
        if (const auto wrong = OtherCommandsOption(parser, {exportOption, outputOption, overwriteOption, bids.dataset,
                                                            subjectOption, bids.session, bids.task, bids.run},
                                                   "record"))
            return *wrong;
        return WithSimulation(ParseFolderCommand(parser, record, ParseRecordOptions, CommandLine::Action::Record,
                                                 &CommandLine::record, "record"),
                              parser, arguments.value(0), simulateOption, dropOption);
    }
    if (record.AnyButFolderSet(parser))
        return UsageError(RecordOptionsOnlyWithRecord);
    if (parser.isSet(bids.dataset)) {
        if (parser.isSet(exportOption) || parser.isSet(outputOption) || parser.isSet(simulateOption))
            return UsageError(QStringLiteral("--export-bids opens no window; --export-snirf, --output and --simulate do "
                                             "not go with it."));
        if (parser.isSet(overwriteOption))
            return UsageError(QStringLiteral("--overwrite is only used with --export-snirf: a BIDS run is never "
                                             "replaced."));
        return ParseBidsExport(parser, bids, subjectOption);
    }
    // Outside a BIDS export, -session is the desktop's session option, left to Qt.
    if (parser.isSet(bids.task) || parser.isSet(bids.run))
        return UsageError(QStringLiteral("--task and --run are only used with --export-bids."));
    if (parser.isSet(exportOption)) {
        if (parser.isSet(simulateOption)) return UsageError(QStringLiteral("--export-snirf opens no window; --simulate does not go with it."));
        // Without a window there is no desktop session for Qt's -session,
        // and a SNIRF file has no place for a session label.
        if (parser.isSet(bids.session))
            return UsageError(QStringLiteral("--session is only used with --export-bids."));
        result.exportInputs = parser.values(exportOption) + parser.positionalArguments();
        result.exportOutput = parser.value(outputOption);
        result.exportSubject = parser.value(subjectOption).trimmed();
        result.exportOverwrite = parser.isSet(overwriteOption);
        if (parser.isSet(subjectOption) && result.exportSubject.isEmpty())
            return UsageError(QStringLiteral("--subject needs a label."));
        if (parser.isSet(outputOption) && result.exportInputs.size() != 1)
            return UsageError(QStringLiteral("--output names the SNIRF file of one record file; %1 were given.")
                                  .arg(result.exportInputs.size()));
        result.action = CommandLine::Action::ExportSnirf;
        return result;
    }
    if (parser.isSet(outputOption)) return UsageError(QStringLiteral("--output is only used with --export-snirf."));
    if (parser.isSet(overwriteOption))
        return UsageError(QStringLiteral("--overwrite is only used with --export-snirf."));
    if (parser.isSet(subjectOption))
        return UsageError(QStringLiteral("--subject is only used with --export-snirf or --export-bids."));
    if (!parser.positionalArguments().isEmpty())
        return UsageError(QStringLiteral("Unexpected argument '%1': record files are opened from the window, or "
                                         "converted with --export-snirf.")
                              .arg(parser.positionalArguments().constFirst()));
    const QString dropProblem = SimulatedDropProblem(parser, simulateOption, dropOption);
    if (!dropProblem.isEmpty()) return UsageError(dropProblem);
    result.centralArguments = CentralArguments(parser, arguments.value(0), simulateOption, dropOption);
    return result;
}

int RunWithoutWindow(const CommandLine& commandLine) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    switch (commandLine.action) {
    case CommandLine::Action::Help:
    case CommandLine::Action::Version:
        out << commandLine.text << Qt::endl;
        return 0;
    case CommandLine::Action::ExportSnirf:
        return ExportSnirfFiles(commandLine.exportInputs,
                                {commandLine.exportOutput, commandLine.exportSubject, commandLine.exportOverwrite}, out,
                                err);
    case CommandLine::Action::ExportBids:
        return ExportBidsFiles(commandLine.exportInputs, commandLine.bidsTarget,
                               {QCoreApplication::applicationName(), QCoreApplication::applicationVersion()}, out, err);
    case CommandLine::Action::Record:
        return RunRecordCommand(commandLine.record, commandLine.centralArguments, out, err);
    case CommandLine::Action::UploadAll:
        return RunUploadAllCommand(commandLine.uploadAll, commandLine.centralArguments, out, err);
    case CommandLine::Action::UsageError:
        err << QCoreApplication::applicationName() << ": " << commandLine.text << Qt::endl;
        return UsageErrorExitCode;
    case CommandLine::Action::Window:
        break;
    }
    return 0;
}
