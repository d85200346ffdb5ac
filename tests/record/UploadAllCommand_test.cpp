// --upload-all as a script runs it: the program itself on the simulated
// sensors the window offers, in real time, its exit codes and output read,
// its files read back.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>

#include "data/CsvReader.h"
#include "data/OleDate.h"
#include "data/SampleStore.h"
#include "record/RecordProgram.h"

namespace {

// The four of --simulate=10 that wait with a stored record (3600 samples at
// 1 s, 12000 at 0.1 s, twice each); the others log, are empty or unpaired.
const QStringList Stored = {"Tq580-123456-001", "Tq580-123456-004", "Tq580-123456-005", "Tq580-123456-008"};
// Limits far beyond what a minute of uploads one at a time takes: only a
// program that hangs meets them.
constexpr int RunLimit = 240000;
constexpr int StartLimit = 60000;

// The rows of a record file, after its START and END lines, which hold the
// time it was uploaded at.
QByteArray RowsOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    qsizetype from = 0;
    for (int line = 0; line < 3 && from >= 0; ++line) from = bytes.indexOf('\n', from) + 1;
    return bytes.mid(from);
}

class UploadAllCommand : public ::testing::Test {
protected:
    QTemporaryDir work;
    void SetUp() override { ASSERT_TRUE(work.isValid()); }

    // Below a folder that does not exist yet: the command makes it.
    QString Collected(const QString& name) const { return work.filePath(QStringLiteral("collected/") + name); }
    QString Working(const QString& name) const {
        QDir().mkpath(work.filePath(name));
        return work.filePath(name);
    }
    static std::string Told(const RecordProgram& program) {
        return (program.errors + "\n---\n" + program.output.right(3000)).toStdString();
    }
    static QStringList OutputLines(const RecordProgram& program, const QString& containing) {
        return QString::fromUtf8(program.output).split(QLatin1Char('\n')).filter(containing);
    }
};

// Each stored record is saved with its SNIRF file under its sensor's name and
// start; one at a time or four at once, the records are the same. A line a
// second tells where each sensor stands.
TEST_F(UploadAllCommand, OneAtATimeAndFourAtOnceCollectTheSameFourRecords) {
    RecordProgram one(Working("one")), four(Working("four"));
    ASSERT_TRUE(one.Start({"--upload-all", Collected("one"), "--parallel", "1", "--simulate=10"}));
    ASSERT_TRUE(four.Start({"--upload-all", Collected("four"), "--parallel", "4", "--simulate=10"}));
    ASSERT_EQ(four.Finish(RunLimit), 0) << Told(four);
    ASSERT_EQ(one.Finish(RunLimit), 0) << Told(one);

    for (const QString& sensor : Stored) {
        SCOPED_TRACE(sensor.toStdString());
        QByteArray rows;
        for (const RecordProgram* program : {&one, &four}) {
            const QString folder = program == &one ? Collected("one") : Collected("four");
            const QStringList files = QDir(folder).entryList({sensor + "_*"}, QDir::Files, QDir::Name);
            ASSERT_EQ(files.size(), 2) << files.join(' ').toStdString();
            const QString csv = QDir(folder).filePath(files[0]);
            SampleStore record;
            ASSERT_TRUE(ReadRecordFile(record, csv).recordReplaced);
            EXPECT_EQ(record.RecordDeviceId, sensor);
            EXPECT_EQ(record.SampleCount, sensor.endsWith('1') || sensor.endsWith('5') ? 3600 : 12000);
            const QString base = sensor + '_' + QDateTimeFromOleDate(record.RecordStartTime).toString("yyyyMMdd-HHmmss");
            EXPECT_EQ(files, (QStringList{base + ".csv", base + ".snirf"}));
            EXPECT_EQ(OutputLines(*program, sensor + ": saved in " + csv + " and ").size(), 1) << Told(*program);
            if (rows.isEmpty()) rows = RowsOf(csv);
            else EXPECT_EQ(RowsOf(csv), rows) << "the same record either way";
        }
    }
    // One line a second while it runs; with one at a time never two uploads
    // in one line, with four at once all four.
    for (const RecordProgram* program : {&one, &four}) {
        ASSERT_GE(program->progress.size(), 20);
        for (qsizetype i = 1; i < program->progress.size(); ++i)
            EXPECT_LE(program->progress[i].seconds - program->progress[i - 1].seconds, 2) << i;
        EXPECT_GE(program->progress.size(), program->progress.last().seconds - 1);
    }
    for (const QString& line : OutputLines(one, " s | ")) EXPECT_LE(line.count(": UP "), 1) << line.toStdString();
    EXPECT_FALSE(OutputLines(four, " s | ").filter(QRegularExpression("(: UP .*){4}")).isEmpty());
}

// The first sensor drops its link a second into its upload: it is named
// with why, keeps its log, and the other three are saved.
TEST_F(UploadAllCommand, ASensorWhoseLinkIsLostIsNamedAndTheOthersAreSaved) {
    RecordProgram program(Working("drop"));
    ASSERT_TRUE(program.Start({"--upload-all", Collected("drop"), "--parallel", "2", "--simulate=10",
                               "--simulate-drop", "1,120"}));
    ASSERT_EQ(program.Finish(RunLimit), 1) << Told(program);
    EXPECT_TRUE(program.errors.contains("Tq580-123456-001: not saved: its link was lost; the sensor keeps its log"))
        << Told(program);
    EXPECT_TRUE(QDir(Collected("drop")).entryList({"Tq580-123456-001_*"}, QDir::Files).isEmpty());
    for (const QString& sensor : Stored.mid(1)) {
        EXPECT_EQ(OutputLines(program, sensor + ": saved in ").size(), 1) << Told(program);
        EXPECT_EQ(QDir(Collected("drop")).entryList({sensor + "_*"}, QDir::Files).size(), 2) << sensor.toStdString();
    }
}

// SIGINT or SIGTERM is Cancel: the uploads stop, each sensor not saved is named.
TEST_F(UploadAllCommand, ASignalStopsEveryUploadAndNamesEachSensor) {
    RecordProgram program(Working("signal"));
    ASSERT_TRUE(program.Start({"--upload-all", Collected("signal"), "--parallel", "1", "--simulate=10"}));
    ASSERT_TRUE(program.ReadUntil([&] { return program.output.contains(": UP "); }, StartLimit)) << Told(program);
    program.Signal(SIGTERM);
    ASSERT_EQ(program.Finish(StartLimit), 1) << Told(program);
    for (const QString& sensor : Stored)
        EXPECT_TRUE(program.errors.contains((sensor + ": not saved: stopped by SIGINT or SIGTERM").toUtf8())) << Told(program);
    EXPECT_TRUE(QDir(Collected("signal")).entryList(QDir::Files).isEmpty());
}

// Mistakes of the command line are told before anything is done; without
// Bluetooth it says so.
TEST_F(UploadAllCommand, UsageErrorsExitTwoAndNoBluetoothOne) {
    const std::pair<QStringList, const char*> cases[] = {
        {{"--upload-all", Collected("x"), "--parallel", "9", "--simulate"}, "1 to 8"},
        {{"--parallel", "2", "--simulate"}, "only used with --upload-all"},
        {{"--upload-all", Collected("x"), "--record", Collected("y"), "--sensors", "A"}, "does not go with --upload-all"},
        {{"--upload-all", Collected("x"), "extra.csv"}, "'extra.csv'"},
    };
    for (const auto& [arguments, named] : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        RecordProgram wrong(work.path());
        ASSERT_TRUE(wrong.Start(arguments));
        EXPECT_EQ(wrong.Finish(StartLimit), 2);
        EXPECT_TRUE(wrong.errors.contains(named)) << wrong.errors.toStdString();
        EXPECT_FALSE(QFileInfo::exists(Collected("x")));
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + work.filePath("no-bus"));
    RecordProgram program(work.path());
    ASSERT_TRUE(program.Start({"--upload-all", Collected("x")}, environment));
    ASSERT_EQ(program.Finish(StartLimit), 1) << Told(program);
    EXPECT_TRUE(program.errors.contains("No Bluetooth LE adapter")) << Told(program);
}

}  // namespace
