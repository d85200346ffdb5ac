#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "app/SettingsFile.h"

namespace {

class SettingsFileTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    QString path = folder.filePath("tq580.ini");

    void Write(const QByteArray& text) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QByteArray Read() {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

TEST_F(SettingsFileTest, RoundTripWritesEveryKeyInItsOrder) {
    ProgramSettings written;
    written.Top = 40;
    written.Left = 30;
    written.Width = 1200;
    written.Height = 800;
    written.Maximized = true;
    written.Rate = 4;
    written.Amplifier = 3;
    written.Average = 5;
    written.Data = 0;
    written.Rate2 = 2;
    written.Data2 = 3;
    written.Arrangement = 0;
    written.Auxin = true;
    written.Port = "/dev/ttyUSB0";
    written.Device = "Tq580-123456-001";
    written.Merge = true;
    written.UploadParallel = 5;
    ASSERT_TRUE(WriteSettingsFile(path, written));

    EXPECT_EQ(Read(),
              "[Form]\r\nTop=40\r\nLeft=30\r\nWidth=1200\r\nHeight=800\r\nMaximized=1\r\n"
              "\r\n"
              "[Settings]\r\nRate=4\r\nAverage=5\r\nAmplifier=3\r\nData=0\r\nRate2=2\r\nData2=3\r\n"
              "Arrangement=0\r\nAuxin=1\r\nPort=/dev/ttyUSB0\r\nDevice=Tq580-123456-001\r\nMerge=1\r\n"
              "UploadParallel=5\r\n"
              "\r\n"
              "[Export]\r\nSnirfBesideUploads=1\r\nSubject=\r\nBidsDataset=\r\nBidsSubject=\r\nBidsSession=\r\n"
              "BidsTask=\r\n"
              "\r\n"
              "[Network]\r\nEnabled=0\r\nAddress=127.0.0.1\r\nPort=7580\r\n");

    const ProgramSettings read = ReadSettingsFile(path);
    EXPECT_EQ(read.Top, 40);
    EXPECT_EQ(read.Left, 30);
    EXPECT_EQ(read.Width, 1200);
    EXPECT_EQ(read.Height, 800);
    EXPECT_TRUE(read.Maximized);
    EXPECT_EQ(read.Rate, 4);
    EXPECT_EQ(read.Amplifier, 3);
    EXPECT_EQ(read.Average, 5);
    EXPECT_EQ(read.Data, 0);
    EXPECT_EQ(read.Rate2, 2);
    EXPECT_EQ(read.Data2, 3);
    EXPECT_EQ(read.Arrangement, 0);
    EXPECT_TRUE(read.Auxin);
    EXPECT_EQ(read.Port, "/dev/ttyUSB0");
    EXPECT_EQ(read.Device, "Tq580-123456-001");
    EXPECT_TRUE(read.Merge);
    EXPECT_EQ(read.UploadParallel, 5);
}

TEST_F(SettingsFileTest, MissingFileGivesTheDefaults) {
    const ProgramSettings read = ReadSettingsFile(path);
    EXPECT_EQ(read.Top, -1);
    EXPECT_EQ(read.Width, -1);
    EXPECT_EQ(read.Rate, 1);
    EXPECT_EQ(read.Data, 2);
    EXPECT_EQ(read.Arrangement, 1);
    EXPECT_FALSE(read.Auxin);
    EXPECT_EQ(read.Port, "1");
    EXPECT_EQ(read.Device, "");
    EXPECT_FALSE(read.Merge);
    EXPECT_EQ(read.UploadParallel, 3);
}

// One damaged line spoils only its own key.
struct ValueCase {
    const char* name;
    const char* line;
    std::function<bool(const ProgramSettings&)> holds;
};

class SettingsValue : public SettingsFileTest, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(SettingsValue, WrongValueFallsBackToItsDefault) {
    const ValueCase& valueCase = GetParam();
    Write(QByteArray("[Settings]\r\n") + valueCase.line + "\r\nDevice=Tq580-1\r\n");
    const ProgramSettings read = ReadSettingsFile(path);
    EXPECT_TRUE(valueCase.holds(read)) << valueCase.line;
    EXPECT_EQ(read.Device, "Tq580-1") << "the next key still reads";
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SettingsValue,
    ::testing::Values(
        ValueCase{"AmplifierNotANumber", "Amplifier=abc", [](const ProgramSettings& s) { return s.Amplifier == 0; }},
        ValueCase{"AmplifierHighest", "Amplifier=4", [](const ProgramSettings& s) { return s.Amplifier == 4; }},
        ValueCase{"AmplifierTooHigh", "Amplifier=5", [](const ProgramSettings& s) { return s.Amplifier == 0; }},
        ValueCase{"AverageNegative", "Average=-1", [](const ProgramSettings& s) { return s.Average == 0; }},
        ValueCase{"DataTooHigh", "Data=3", [](const ProgramSettings& s) { return s.Data == 2; }},
        ValueCase{"DataNotAnInteger", "Data=1.5", [](const ProgramSettings& s) { return s.Data == 2; }},
        ValueCase{"RateZero", "Rate=0", [](const ProgramSettings& s) { return s.Rate == 1; }},
        ValueCase{"RateHighest", "Rate=5", [](const ProgramSettings& s) { return s.Rate == 5; }},
        ValueCase{"RateTooHigh", "Rate=6", [](const ProgramSettings& s) { return s.Rate == 1; }},
        ValueCase{"Rate2TooHigh", "Rate2=5", [](const ProgramSettings& s) { return s.Rate2 == 0; }},
        ValueCase{"Data2TooHigh", "Data2=4", [](const ProgramSettings& s) { return s.Data2 == 0; }},
        ValueCase{"ArrangementTooHigh", "Arrangement=2", [](const ProgramSettings& s) { return s.Arrangement == 1; }},
        ValueCase{"ArrangementZero", "Arrangement=0", [](const ProgramSettings& s) { return s.Arrangement == 0; }},
        ValueCase{"AuxinNotANumber", "Auxin=yes", [](const ProgramSettings& s) { return !s.Auxin; }},
        ValueCase{"AuxinAnyNonZero", "Auxin=2", [](const ProgramSettings& s) { return s.Auxin; }},
        ValueCase{"MergeZero", "Merge=0", [](const ProgramSettings& s) { return !s.Merge; }},
        ValueCase{"MergeAnyNonZero", "Merge=-1", [](const ProgramSettings& s) { return s.Merge; }},
        ValueCase{"UploadParallelOne", "UploadParallel=1", [](const ProgramSettings& s) { return s.UploadParallel == 1; }},
        ValueCase{"UploadParallelHighest", "UploadParallel=8", [](const ProgramSettings& s) { return s.UploadParallel == 8; }},
        ValueCase{"UploadParallelTooHigh", "UploadParallel=9", [](const ProgramSettings& s) { return s.UploadParallel == 3; }},
        ValueCase{"UploadParallelZero", "UploadParallel=0", [](const ProgramSettings& s) { return s.UploadParallel == 3; }},
        ValueCase{"PortEmpty", "Port=", [](const ProgramSettings& s) { return s.Port.isEmpty(); }},
        ValueCase{"SpacesAndCaseAroundTheKey", "  data = 1  ", [](const ProgramSettings& s) { return s.Data == 1; }}),
    [](const ::testing::TestParamInfo<ValueCase>& info) { return std::string(info.param.name); });

// The [Network] section: a damaged value keeps the listener off on the
// loopback address and the usual port.
class NetworkValue : public SettingsFileTest, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(NetworkValue, ReadsOrFallsBackToItsDefault) {
    Write(QByteArray("[Settings]\r\nMerge=1\r\n[Network]\r\n") + GetParam().line + "\r\n");
    const ProgramSettings read = ReadSettingsFile(path);
    EXPECT_TRUE(GetParam().holds(read)) << GetParam().line;
    EXPECT_TRUE(read.Merge);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, NetworkValue,
    ::testing::Values(
        ValueCase{"EnabledOne", "Enabled=1", [](const ProgramSettings& s) { return s.NetworkEnabled; }},
        ValueCase{"EnabledNotANumber", "Enabled=yes", [](const ProgramSettings& s) { return !s.NetworkEnabled; }},
        ValueCase{"AddressChosen", "Address=192.168.1.20",
                  [](const ProgramSettings& s) { return s.NetworkAddress == "192.168.1.20"; }},
        ValueCase{"AddressEmpty", "Address=", [](const ProgramSettings& s) { return s.NetworkAddress == "127.0.0.1"; }},
        ValueCase{"PortChosen", "Port=9000", [](const ProgramSettings& s) { return s.NetworkPort == 9000; }},
        ValueCase{"PortZero", "Port=0", [](const ProgramSettings& s) { return s.NetworkPort == 7580; }},
        ValueCase{"PortTooHigh", "Port=65536", [](const ProgramSettings& s) { return s.NetworkPort == 7580; }},
        ValueCase{"PortNotANumber", "Port=http", [](const ProgramSettings& s) { return s.NetworkPort == 7580; }}),
    [](const ::testing::TestParamInfo<ValueCase>& info) { return std::string(info.param.name); });

TEST_F(SettingsFileTest, ExportChoicesRoundTripAndTheSnirfBesideUploadsIsOnUnlessSwitchedOff) {
    ProgramSettings written;
    written.Export = {false, "Participant 7", "/data/study one", "07", "pre", "rest"};
    ASSERT_TRUE(WriteSettingsFile(path, written));
    EXPECT_TRUE(Read().contains("[Export]\r\nSnirfBesideUploads=0\r\nSubject=Participant 7\r\n"
                                "BidsDataset=/data/study one\r\nBidsSubject=07\r\nBidsSession=pre\r\nBidsTask=rest\r\n"));
    const ExportChoices read = ReadSettingsFile(path).Export;
    EXPECT_FALSE(read.SnirfBesideUploads);
    EXPECT_EQ(read.Subject, "Participant 7");
    EXPECT_EQ(read.BidsDataset, "/data/study one");
    EXPECT_EQ(read.BidsSubject, "07");
    EXPECT_EQ(read.BidsSession, "pre");
    EXPECT_EQ(read.BidsTask, "rest");

    for (const char* line : {"", "SnirfBesideUploads=yes", "SnirfBesideUploads=1"}) {
        Write(QByteArray("[Export]\n") + line + "\n");
        EXPECT_TRUE(ReadSettingsFile(path).Export.SnirfBesideUploads) << line;
    }
}

TEST_F(SettingsFileTest, FormValuesThatAreNotNumbersReadAsNotStored) {
    Write("[Form]\nTop=x\nLeft=20\nWidth=\nHeight=700\n");
    const ProgramSettings read = ReadSettingsFile(path);
    EXPECT_EQ(read.Top, -1);
    EXPECT_EQ(read.Left, 20);
    EXPECT_EQ(read.Width, -1);
    EXPECT_EQ(read.Height, 700);
}

TEST_F(SettingsFileTest, FormValuesNoScreenCanHoldReadAsNotStored) {
    Write("[Form]\nTop=16777216\nLeft=2147483647\nWidth=-2147483648\nHeight=16777215\n");
    const ProgramSettings read = ReadSettingsFile(path);
    EXPECT_EQ(read.Top, -1);
    EXPECT_EQ(read.Left, -1);
    EXPECT_EQ(read.Width, -1);
    EXPECT_EQ(read.Height, 16777215);
}

// A key given twice, also in another spelling or in a repeated section: the
// first one counts, as the file format always had it.
TEST_F(SettingsFileTest, FirstOfARepeatedKeyCounts) {
    Write("[Settings]\nRate=3\nrate=4\nDevice=Tq580-1\n[Form]\nTop=5\n[SETTINGS]\nRATE=5\nDevice=Tq580-2\n");
    const ProgramSettings read = ReadSettingsFile(path);
    EXPECT_EQ(read.Rate, 3);
    EXPECT_EQ(read.Device, "Tq580-1");
    EXPECT_EQ(read.Top, 5);
}

// A file edited by hand keeps what this program does not know, and our keys
// go back into their usual order.
TEST_F(SettingsFileTest, WritingKeepsForeignLinesAndRestoresTheOrder) {
    Write("[Printer]\nName=Office\n[Settings]\nMerge=1\nColour=blue\nRate=3\n");
    ASSERT_TRUE(WriteSettingsFile(path, ProgramSettings{}));
    EXPECT_EQ(Read(),
              "[Printer]\r\nName=Office\r\n"
              "\r\n"
              "[Settings]\r\nRate=1\r\nAverage=0\r\nAmplifier=0\r\nData=2\r\nRate2=0\r\nData2=0\r\n"
              "Arrangement=1\r\nAuxin=0\r\nPort=1\r\nDevice=\r\nMerge=0\r\nUploadParallel=3\r\nColour=blue\r\n"
              "\r\n"
              "[Form]\r\nTop=-1\r\nLeft=-1\r\nWidth=-1\r\nHeight=-1\r\nMaximized=0\r\n"
              "\r\n"
              "[Export]\r\nSnirfBesideUploads=1\r\nSubject=\r\nBidsDataset=\r\nBidsSubject=\r\nBidsSession=\r\n"
              "BidsTask=\r\n"
              "\r\n"
              "[Network]\r\nEnabled=0\r\nAddress=127.0.0.1\r\nPort=7580\r\n");
}

TEST(SettingsFileName, ReplacesOrAppendsTheExtension) {
    EXPECT_EQ(ReplaceExtension("/opt/tq580/tq580", ".ini"), "/opt/tq580/tq580.ini");
    EXPECT_EQ(ReplaceExtension("/opt/tq580/tq580.exe", ".evl"), "/opt/tq580/tq580.evl");
    EXPECT_EQ(ReplaceExtension("/opt/v1.2/tq580", ".ini"), "/opt/v1.2/tq580.ini");
    EXPECT_EQ(ReplaceExtension("/opt/tq580/tq580.beta.bin", ".ini"), "/opt/tq580/tq580.beta.ini");
}

}  // namespace
