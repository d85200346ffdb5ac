#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "app/CreateCentral.h"

namespace {

using Action = CommandLine::Action;

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
}

TEST(CommandLine, HelpAndVersionNeedNoWindow) {
    for (const char* option : {"--help", "-h", "--help-all"})
        EXPECT_EQ(ParseCommandLine({"tq580", option}).action, Action::Help) << option;
    const CommandLine help = ParseCommandLine({"tq580", "--help"});
    for (const char* named : {"--simulate", "--simulate-drop", "--export-snirf", "--output", "--version"})
        EXPECT_TRUE(help.text.contains(QLatin1String(named))) << named;
    EXPECT_EQ(ParseCommandLine({"tq580", "--version"}).action, Action::Version);
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
    };
    for (const auto& [arguments, named] : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const CommandLine commandLine = ParseCommandLine(arguments);
        EXPECT_EQ(commandLine.action, Action::UsageError);
        EXPECT_TRUE(commandLine.text.contains(QLatin1String(named))) << commandLine.text.toStdString();
    }
}

}  // namespace
