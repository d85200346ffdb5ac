#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "app/CreateCentral.h"

namespace {

using Action = CommandLine::Action;

// Each command line is a usage error whose text names what is wrong.
template <size_t Count>
void ExpectUsageErrorsNaming(const std::pair<QStringList, const char*> (&cases)[Count]) {
    for (const auto& [arguments, named] : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const CommandLine commandLine = ParseCommandLine(arguments);
        EXPECT_EQ(commandLine.action, Action::UsageError);
        EXPECT_TRUE(commandLine.text.contains(QLatin1String(named))) << commandLine.text.toStdString();
    }
}

// --simulate reaches CreateCentral as it always has: the same count from
// the same spellings, the last one given winning.
TEST(CommandLine, SimulateReachesTheCentralUnchanged) {
    const std::pair<QStringList, int> cases[] = {
        {{"tq580"}, 0},
        {{"tq580", "--simulate"}, DefaultSimulatedSensors},
        {{"tq580", "--simulate=5"}, 5},
        {{"tq580", "--simulate=3", "--simulate"}, DefaultSimulatedSensors},
        {{"tq580", "--simulate", "--simulate=2"}, 2},
        {{"tq580", "--simulate=31"}, -1},
        {{"tq580", "--simulate=many"}, -1},
        {{"tq580", "--simulate="}, -1},
        {{"tq580", "-platform", "offscreen", "--simulate=4"}, 4},  // Qt's own options are left to Qt
    };
    for (const auto& [arguments, count] : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const CommandLine commandLine = ParseCommandLine(arguments);
        ASSERT_EQ(commandLine.action, Action::Window) << commandLine.text.toStdString();
        EXPECT_EQ(SimulatedSensorCount(commandLine.centralArguments), count);
    }
}

// The simulated drop reaches the central with the simulated sensors.
TEST(CommandLine, SimulateDropReachesTheCentral) {
    const CommandLine commandLine = ParseCommandLine({"tq580", "--simulate", "--simulate-drop", "20,8.5"});
    ASSERT_EQ(commandLine.action, Action::Window) << commandLine.text.toStdString();
    EXPECT_EQ(SimulatedSensorCount(commandLine.centralArguments), DefaultSimulatedSensors);
    EXPECT_TRUE(commandLine.centralArguments.contains("--simulate-drop=20,8.5"));
    const std::optional<SimulatedDrop> drop = ParseSimulatedDrop(QStringLiteral("20,8.5"));
    ASSERT_TRUE(drop.has_value());
    EXPECT_EQ(drop->afterSeconds, 20);
    EXPECT_EQ(drop->forSeconds, 8.5);
}

TEST(CommandLine, ExportTakesEveryRecordFileAndOneOutput) {
    CommandLine commandLine = ParseCommandLine({"tq580", "--export-snirf", "a.csv", "b.csv", "c.csv"});
    EXPECT_EQ(commandLine.action, Action::ExportSnirf);
    EXPECT_EQ(commandLine.exportInputs, (QStringList{"a.csv", "b.csv", "c.csv"}));
    EXPECT_TRUE(commandLine.exportOutput.isEmpty());

    commandLine = ParseCommandLine({"tq580", "--export-snirf=a.csv", "--output", "out.snirf"});
    EXPECT_EQ(commandLine.action, Action::ExportSnirf);
    EXPECT_EQ(commandLine.exportInputs, QStringList{"a.csv"});
    EXPECT_EQ(commandLine.exportOutput, QStringLiteral("out.snirf"));
    EXPECT_FALSE(commandLine.exportOverwrite);

    commandLine = ParseCommandLine({"tq580", "--export-snirf", "a.csv", "--overwrite"});
    EXPECT_EQ(commandLine.action, Action::ExportSnirf);
    EXPECT_TRUE(commandLine.exportOverwrite);
}

TEST(CommandLine, ExportBidsTakesTheLabelsAndTheRecordFiles) {
    CommandLine commandLine = ParseCommandLine(
        {"tq580", "--export-bids", "/data/study", "--subject", "P01", "--task", "rest", "a.csv", "b.csv"});
    ASSERT_EQ(commandLine.action, Action::ExportBids) << commandLine.text.toStdString();
    EXPECT_EQ(commandLine.exportInputs, (QStringList{"a.csv", "b.csv"}));
    EXPECT_EQ(commandLine.bidsTarget.dataset, "/data/study");
    EXPECT_EQ(commandLine.bidsTarget.subject, "P01");
    EXPECT_TRUE(commandLine.bidsTarget.session.isEmpty());
    EXPECT_EQ(commandLine.bidsTarget.task, "rest");
    EXPECT_EQ(commandLine.bidsTarget.firstRun, 0);

    commandLine = ParseCommandLine({"tq580", "--export-bids=/d", "--subject=2", "--session", "pre", "--task", "nback",
                                    "--run", "4", "a.csv"});
    ASSERT_EQ(commandLine.action, Action::ExportBids) << commandLine.text.toStdString();
    EXPECT_EQ(commandLine.bidsTarget.session, "pre");
    EXPECT_EQ(commandLine.bidsTarget.firstRun, 4);

    commandLine = ParseCommandLine({"tq580", "--export-snirf", "a.csv", "--subject", "Participant 7"});
    ASSERT_EQ(commandLine.action, Action::ExportSnirf);
    EXPECT_EQ(commandLine.exportSubject, "Participant 7");  // a SNIRF subject is free text
}

TEST(CommandLine, HelpAndVersionNeedNoWindow) {
    for (const char* option : {"--help", "-h", "--help-all"})
        EXPECT_EQ(ParseCommandLine({"tq580", option}).action, Action::Help) << option;
    const CommandLine help = ParseCommandLine({"tq580", "--help"});
    for (const char* named : {"--simulate", "--simulate-drop", "--export-snirf", "--output", "--export-bids",
                              "--subject", "--session", "--task", "--run", "--version", "--record", "--sensors",
                              "--rate", "--duration", "--marks-port"})
        EXPECT_TRUE(help.text.contains(QLatin1String(named))) << named;
    EXPECT_EQ(ParseCommandLine({"tq580", "--version"}).action, Action::Version);
}

// What a script calling the conversions needs to know: what each exit code
// means, and that a file is replaced only when asked.
TEST(CommandLine, HelpStatesTheExitCodesOfTheConversions) {
    const QString help = ParseCommandLine({"tq580", "--help"}).text;
    EXPECT_TRUE(help.contains(QLatin1String("--overwrite"))) << help.toStdString();
    const qsizetype codes = help.indexOf(QLatin1String("Exit codes of --export-snirf and --export-bids"));
    ASSERT_GE(codes, 0) << help.toStdString();
    for (const char* code : {"  0 ", "  1 ", "  2 "})
        EXPECT_TRUE(help.indexOf(QLatin1String(code), codes) > codes) << code;
    EXPECT_TRUE(help.contains(QLatin1String("raw intensities"))) << help.toStdString();
}

// A script that records needs the same: what each exit code means, and
// that files are never replaced.
TEST(CommandLine, HelpStatesTheExitCodesOfARecording) {
    const QString help = ParseCommandLine({"tq580", "--help"}).text;
    const qsizetype codes = help.indexOf(QLatin1String("Exit codes of --record"));
    ASSERT_GE(codes, 0) << help.toStdString();
    for (const char* code : {"  0 ", "  1 ", "  2 "})
        EXPECT_TRUE(help.indexOf(QLatin1String(code), codes) > codes) << code;
    for (const char* told : {"SIGINT", "never replaced", "_2", "crash journal"})
        EXPECT_TRUE(help.indexOf(QLatin1String(told), codes) > codes) << told;
}

TEST(CommandLine, RecordTakesItsSensorsRateDurationAndPort) {
    struct Case {
        QStringList arguments;
        QStringList sensors;
        int rateItem;
        double duration;
        int port;
    };
    const Case cases[] = {
        {{"tq580", "--record", "out", "--sensors", "Tq580-1"}, {"Tq580-1"}, 0, 0, 0},
        {{"tq580", "--record=out", "--sensors=Tq580-1, Tq580-2", "--rate", "0.2", "--duration", "20"},
         {"Tq580-1", "Tq580-2"}, 1, 20, 0},
        {{"tq580", "--record", "out", "--sensors", "A,B", "--sensors", "C,D", "--rate", ".5", "--duration", "1.5"},
         {"A", "B", "C", "D"}, 2, 1.5, 0},
        {{"tq580", "--record", "out", "--sensors", "A", "--rate", "1", "--marks-port", "7580"}, {"A"}, 3, 0, 7580},
        {{"tq580", "--record", "out", "--sensors", "A", "--rate", "5.0", "--duration", "540000"}, {"A"}, 4, 540000, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const CommandLine commandLine = ParseCommandLine(c.arguments);
        ASSERT_EQ(commandLine.action, Action::Record) << commandLine.text.toStdString();
        EXPECT_EQ(commandLine.record.folder, "out");
        EXPECT_EQ(commandLine.record.sensors, c.sensors);
        EXPECT_EQ(commandLine.record.rateItem, c.rateItem);
        EXPECT_EQ(commandLine.record.durationSeconds, c.duration);
        EXPECT_EQ(commandLine.record.marksPort, c.port);
        EXPECT_EQ(SimulatedSensorCount(commandLine.centralArguments), 0);
    }
    // The simulated sensors and their drop reach the central as for the window.
    const CommandLine simulated = ParseCommandLine(
        {"tq580", "--record", "out", "--sensors", "A", "--simulate=2", "--simulate-drop", "3,2"});
    ASSERT_EQ(simulated.action, Action::Record) << simulated.text.toStdString();
    EXPECT_EQ(SimulatedSensorCount(simulated.centralArguments), 2);
    EXPECT_TRUE(simulated.centralArguments.contains("--simulate-drop=3,2"));
}

TEST(CommandLine, RecordMistakesAreUsageErrorsThatSayWhat) {
    const std::pair<QStringList, const char*> cases[] = {
        {{"tq580", "--record"}, "record"},
        {{"tq580", "--record", "out"}, "--sensors"},
        {{"tq580", "--record", " ", "--sensors", "A"}, "folder"},
        {{"tq580", "--record", "out", "--sensors", "A,,B"}, "empty name"},
        {{"tq580", "--record", "out", "--sensors", "A,B,C,D,E"}, "1 to 4 names; 5 were given"},
        {{"tq580", "--record", "out", "--sensors", "A,B,A"}, "names A twice"},
        {{"tq580", "--record", "out", "--sensors", "A", "--rate", "0.3"}, "'0.3'"},
        {{"tq580", "--record", "out", "--sensors", "A", "--rate", "0.05"}, "'0.05'"},  // a rate with no item
        {{"tq580", "--record", "out", "--sensors", "A", "--rate", "fast"}, "'fast'"},
        {{"tq580", "--record", "out", "--sensors", "A", "--duration", "0"}, "--duration"},
        {{"tq580", "--record", "out", "--sensors", "A", "--duration", "-5"}, "--duration"},
        {{"tq580", "--record", "out", "--sensors", "A", "--duration", "nan"}, "--duration"},
        {{"tq580", "--record", "out", "--sensors", "A", "--duration", "10801"}, "at most 10800 s"},
        {{"tq580", "--record", "out", "--sensors", "A", "--rate", "0.2", "--duration", "21601"}, "at most 21600 s"},
        {{"tq580", "--record", "out", "--sensors", "A", "--marks-port", "0"}, "--marks-port"},
        {{"tq580", "--record", "out", "--sensors", "A", "--marks-port", "65536"}, "--marks-port"},
        {{"tq580", "--record", "out", "--sensors", "A", "more.csv"}, "more.csv"},
        {{"tq580", "--record", "out", "--sensors", "A", "--export-snirf", "a.csv"}, "--export-snirf does not go"},
        {{"tq580", "--record", "out", "--sensors", "A", "--subject", "P01"}, "--subject does not go"},
        {{"tq580", "--record", "out", "--sensors", "A", "--simulate=31"}, "1 to 30"},
        {{"tq580", "--record", "out", "--sensors", "A", "--simulate-drop", "3,2"}, "goes with --simulate"},
        {{"tq580", "--sensors", "A"}, "only used with --record"},
        {{"tq580", "--simulate", "--duration", "20"}, "only used with --record"},
        {{"tq580", "--export-snirf", "a.csv", "--marks-port", "7580"}, "only used with --record"},
    };
    ExpectUsageErrorsNaming(cases);
}

// --upload-all: the folder, how many at once (3 unless told), the merge,
// and the simulated sensors with their drop; --help gives its exit codes.
TEST(CommandLine, UploadAllTakesItsFolderParallelAndMerge) {
    struct Case {
        QStringList arguments;
        int parallel;
        bool merge;
        int simulated;
    };
    const Case cases[] = {
        {{"tq580", "--upload-all", "out"}, 3, false, 0},
        {{"tq580", "--upload-all=out", "--parallel", "1", "--merge"}, 1, true, 0},
        {{"tq580", "--upload-all", "out", "--parallel=8", "--simulate=10", "--simulate-drop", "1,60"}, 8, false, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const CommandLine commandLine = ParseCommandLine(c.arguments);
        ASSERT_EQ(commandLine.action, Action::UploadAll) << commandLine.text.toStdString();
        EXPECT_EQ(commandLine.uploadAll.folder, "out");
        EXPECT_EQ(commandLine.uploadAll.parallel, c.parallel);
        EXPECT_EQ(commandLine.uploadAll.merge, c.merge);
        EXPECT_EQ(SimulatedSensorCount(commandLine.centralArguments), c.simulated);
    }
    const QString help = ParseCommandLine({"tq580", "--help"}).text;
    const qsizetype codes = help.indexOf(QLatin1String("Exit codes of --upload-all"));
    ASSERT_GE(codes, 0) << help.toStdString();
    for (const char* told : {"  0 ", "  1 ", "  2 ", "keeps its log", "never replaced"})
        EXPECT_TRUE(help.indexOf(QLatin1String(told), codes) > codes) << told;
    EXPECT_TRUE(help.contains(QLatin1String("--upload-all <DIR>"))) << help.toStdString();
}

TEST(CommandLine, UploadAllMistakesAreUsageErrorsThatSayWhat) {
    const std::pair<QStringList, const char*> cases[] = {
        {{"tq580", "--upload-all"}, "upload-all"},
        {{"tq580", "--upload-all", " "}, "needs a folder"},
        {{"tq580", "--upload-all", "out", "--parallel", "0"}, "1 to 8, not '0'"},
        {{"tq580", "--upload-all", "out", "--parallel", "9"}, "1 to 8, not '9'"},
        {{"tq580", "--upload-all", "out", "--parallel", "two"}, "'two'"},
        {{"tq580", "--upload-all", "out", "more.csv"}, "more.csv"},
        {{"tq580", "--upload-all", "out", "--record", "in", "--sensors", "A"}, "--record does not go"},
        {{"tq580", "--upload-all", "out", "--export-snirf", "a.csv"}, "--export-snirf does not go"},
        {{"tq580", "--upload-all", "out", "--sensors", "A"}, "only used with --record"},
        {{"tq580", "--upload-all", "out", "--simulate=31"}, "1 to 30"},
        {{"tq580", "--upload-all", "out", "--simulate-drop", "1,2"}, "goes with --simulate"},
        {{"tq580", "--parallel", "2"}, "only used with --upload-all"},
        {{"tq580", "--record", "out", "--sensors", "A", "--merge"}, "only used with --upload-all"},
    };
    ExpectUsageErrorsNaming(cases);
}

TEST(CommandLine, MistakesAreUsageErrorsThatSayWhat) {
    const std::pair<QStringList, const char*> cases[] = {
        {{"tq580", "--simulte"}, "simulte"},
        {{"tq580", "--export-snirf"}, "export-snirf"},
        {{"tq580", "--export-snirf", "a.csv", "b.csv", "--output", "x.snirf"}, "one record file"},
        {{"tq580", "--output", "x.snirf"}, "--export-snirf"},
        {{"tq580", "--export-snirf", "a.csv", "--simulate"}, "--simulate"},
        {{"tq580", "record.csv"}, "record.csv"},
        {{"tq580", "--simulate-drop", "20,8"}, "goes with --simulate"},
        {{"tq580", "--simulate", "--simulate-drop", "20"}, "two numbers"},
        {{"tq580", "--simulate", "--simulate-drop", "20,0"}, "two numbers"},
        {{"tq580", "--simulate", "--simulate-drop", "-1,8"}, "two numbers"},
        {{"tq580", "--simulate", "--simulate-drop", "soon,8"}, "two numbers"},
        {{"tq580", "--export-snirf", "a.csv", "--subject", " "}, "--subject needs"},
        {{"tq580", "--subject", "P01"}, "--export-snirf or --export-bids"},
        {{"tq580", "--task", "rest"}, "--export-bids"},
        {{"tq580", "--export-bids", "/d", "--task", "rest", "a.csv"}, "--subject and --task"},
        {{"tq580", "--export-bids", "/d", "--subject", "P01", "a.csv"}, "--subject and --task"},
        {{"tq580", "--export-bids", "/d", "--subject", "P01", "--task", "rest"}, "record file"},
        {{"tq580", "--export-bids", "/d", "--subject", "P-01", "--task", "rest", "a.csv"}, "subject label 'P-01'"},
        {{"tq580", "--export-bids", "/d", "--subject", "P01", "--session", "a b", "--task", "rest", "a.csv"},
         "session label"},
        {{"tq580", "--export-bids", "/d", "--subject", "P01", "--task", "rest", "--run", "0", "a.csv"}, "--run"},
        {{"tq580", "--export-bids", "/d", "--subject", "P01", "--task", "rest", "--run", "x", "a.csv"}, "--run"},
        {{"tq580", "--export-bids", "/d", "--export-snirf", "a.csv", "--subject", "P01", "--task", "rest"},
         "--export-snirf"},
        // A SNIRF file has no session: a label given for one would be lost.
        {{"tq580", "--export-snirf", "a.csv", "--session", "pre"}, "--session is only used with --export-bids"},
        {{"tq580", "--export-snirf", "a.csv", "-session", "pre"}, "--session is only used with --export-bids"},
        {{"tq580", "--overwrite"}, "--overwrite is only used with --export-snirf"},
        {{"tq580", "--export-bids", "/d", "--subject", "P01", "--task", "rest", "--overwrite", "a.csv"},
         "--overwrite"},
    };
    ExpectUsageErrorsNaming(cases);
}

}  // namespace
