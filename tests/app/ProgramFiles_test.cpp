#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/ProgramFiles.h"
#include "app/WindowHarness.h"
#include "session/StringTable.h"

namespace {

struct LocationCase {
    const char* name;
    const char* programFilePath;
    bool programFolderWritable;
    const char* settingsFile;
    const char* eventLogFile;
    const char* dataFolder;
};

void PrintTo(const LocationCase& locationCase, std::ostream* out) { *out << locationCase.name; }

class ProgramFilesTest : public ::testing::TestWithParam<LocationCase> {};

const UserFolders User{"/home/ann/.config", "/home/ann/.local/share", "/home/ann/Documents"};

TEST_P(ProgramFilesTest, LieNextToAWritableProgramElseInTheUsersFolders) {
    const LocationCase& expected = GetParam();
    const ProgramFiles files =
        LocateProgramFiles(expected.programFilePath, expected.programFolderWritable, "/home/ann/work", User);
    EXPECT_EQ(files.settingsFile, expected.settingsFile);
    EXPECT_EQ(files.eventLogFile, expected.eventLogFile);
    EXPECT_EQ(files.dataFolder, expected.dataFolder);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgramFilesTest,
    ::testing::Values(
        LocationCase{"BuildFolder", "/home/ann/tq580/build/src/app/tq580", true,
                     "/home/ann/tq580/build/src/app/tq580.ini", "/home/ann/tq580/build/src/app/tq580.evl",
                     "/home/ann/work/Data"},
        LocationCase{"StickWithExtension", "/media/ann/STICK/tq580.run", true, "/media/ann/STICK/tq580.ini",
                     "/media/ann/STICK/tq580.evl", "/home/ann/work/Data"},
        LocationCase{"Installed", "/usr/bin/tq580", false, "/home/ann/.config/tq580/tq580.ini",
                     "/home/ann/.local/share/tq580/tq580.evl", "/home/ann/Documents/Tq580"},
        // Another installed copy keeps settings of its own, in the same folder.
        LocationCase{"InstalledUnderAnotherName", "/usr/local/bin/tq580-test", false,
                     "/home/ann/.config/tq580/tq580-test.ini", "/home/ann/.local/share/tq580/tq580-test.evl",
                     "/home/ann/Documents/Tq580"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProgramFilesOf, APortableCopyInAWritableFolderKeepsItsFilesNextToItself) {
    QTemporaryDir folder;
    const ProgramFiles files = ProgramFilesOf(folder.filePath("tq580"), folder.filePath("work"));
    EXPECT_EQ(files.settingsFile, folder.filePath("tq580.ini"));
    EXPECT_EQ(files.eventLogFile, folder.filePath("tq580.evl"));
    EXPECT_EQ(files.dataFolder, folder.filePath("work/Data"));
}

TEST(HelpFileCandidates, NextToTheProgramFirstThenTheInstalledDocumentation) {
    EXPECT_EQ(HelpFileCandidates("/usr/local/bin/tq580", "Tq580_win_en.pdf"),
              (QStringList{"/usr/local/bin/Tq580_win_en.pdf", "/usr/local/share/doc/tq580/Tq580_win_en.pdf"}));
}

void WriteManual(const QString& path) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile manual(path);
    ASSERT_TRUE(manual.open(QIODevice::WriteOnly));
    manual.write("%PDF-1.4\n");
}

// The window of a program installed under <folder>/bin, the manual under <folder>/share.
TEST_F(WindowTest, HelpOpensTheManualWhereItIsInstalledUnlessOneLiesNextToTheProgram) {
    const QString programPath = folder.filePath("bin/tq580");
    const QString installedManual = folder.filePath("share/doc/tq580/" + HelpFileName);
    WriteManual(installedManual);
    window = std::make_unique<TForm1>(TForm1Dependencies{central, prompts, printPrompts, clock, programPath,
                                                         WorkingDirectory(),
                                                         [this](const QUrl& url) {
                                                             opened << url;
                                                             return true;
                                                         }});
    window->H2->trigger();
    const QString besideManual = folder.filePath("bin/" + HelpFileName);
    WriteManual(besideManual);
    window->H2->trigger();
    EXPECT_EQ(opened, (QList<QUrl>{QUrl::fromLocalFile(installedManual), QUrl::fromLocalFile(besideManual)}));
    EXPECT_TRUE(prompts.shown.isEmpty());
}

}  // namespace
