#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <memory>

#include "data/CsvReader.h"
#include "data/OleDate.h"
#include "data/SampleStore.h"
#include "record/RecordProgram.h"
#include "support/LoopbackClients.h"

namespace {

const QString SensorA = QStringLiteral("Tq580-123456-001");
const QString SensorB = QStringLiteral("Tq580-123456-002");
const QString BothSensors = SensorA + QLatin1Char(',') + SensorB;
// Limits for a program that scans, measures and saves: far beyond what it
// takes, so only a program that hangs meets them.
constexpr int StartLimit = 60000;
constexpr int EndLimit = 60000;

QStringList CsvFilesIn(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("*.csv")}, QDir::Files, QDir::Name);
}

std::unique_ptr<SampleStore> ReadBack(const QString& path) {
    auto store = std::make_unique<SampleStore>();
    const CsvReadResult result = ReadRecordFile(*store, path);
    EXPECT_TRUE(result.recordReplaced && !result.formatError && !result.readFailed) << path.toStdString();
    return store;
}

QList<EVENT_MARK_TYPE> MarksOf(const SampleStore& store) {
    QList<EVENT_MARK_TYPE> marks;
    for (const EVENT_MARK_TYPE& mark : store.EventMarks)
        if (mark.sample >= 0) marks.append(mark);
    return marks;
}

// The file name a record starting then must have: "<sensor>_<yyyymmdd-hhmmss>".
QString NameOf(const QString& sensor, double start) {
    return sensor + QLatin1Char('_') + QDateTimeFromOleDate(start).toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

class RecordCommand : public ::testing::Test {
protected:
    QTemporaryDir work;
    RecordProgram program{work.path()};
    // Below a folder that does not exist yet: the recording makes it.
    QString records = work.filePath(QStringLiteral("study/day 1"));

    void SetUp() override { ASSERT_TRUE(work.isValid()); }

    // The progress line's state of a sensor is measuring with this many rows.
    bool Measured(const QString& sensor, int rows) const {
        if (program.progress.isEmpty()) return false;
        const SensorLine line = program.progress.last().sensors.value(sensor);
        return line.state == QLatin1String("measuring") && line.rows >= rows;
    }
    // The crash journals in the records folder of a window started where the program was.
    QStringList Journals() const {
        return QDir(work.filePath(QStringLiteral("Data")))
            .entryList({QStringLiteral(".tq580-*.journal")}, QDir::Files | QDir::Hidden);
    }
    std::string Told() const { return (program.errors + "\n---\n" + program.output.right(3000)).toStdString(); }
};

// The scripted experiment: two sensors on one timeline for 20 s, a mark from
// a stimulus program 8 s in. It is on the same row of both records.
TEST_F(RecordCommand, TwoSensorsTwentySecondsAndANetworkMarkOnTheSameRowOfBoth) {
    const quint16 port = FreeLoopbackPort();
    ASSERT_NE(port, 0);
    ASSERT_TRUE(program.Start({"--record", records, "--sensors", BothSensors, "--duration", "20", "--marks-port",
                               QString::number(port), "--simulate=2"}));
    ASSERT_TRUE(program.ReadUntil([&] { return !program.progress.isEmpty() && program.progress.last().seconds >= 8; },
                                  StartLimit))
        << Told();
    const ProgressLine atEight = program.progress.last();
    for (const QString& sensor : {SensorA, SensorB}) {
        EXPECT_EQ(atEight.sensors.value(sensor).state, "measuring") << sensor.toStdString();
        EXPECT_TRUE(atEight.sensors.value(sensor).battery.endsWith(QLatin1String(" V"))) << sensor.toStdString();
    }
    MarkClient stimulus;
    ASSERT_TRUE(stimulus.Connect(port));
    ASSERT_EQ(stimulus.Ask("S3\n"), "OK");
    // The second line after the answer comes a second or more after the mark.
    const qsizetype answeredAt = program.progress.size();
    ASSERT_TRUE(program.ReadUntil([&] { return program.progress.size() >= answeredAt + 2; }, StartLimit)) << Told();
    const int rowsAfter = program.progress[answeredAt + 1].sensors.value(SensorA).rows;

    ASSERT_EQ(program.Finish(EndLimit), 0) << Told();
    const QStringList files = CsvFilesIn(records);
    ASSERT_EQ(files.size(), 2) << files.join(' ').toStdString();
    const auto a = ReadBack(QDir(records).filePath(files[0]));
    const auto b = ReadBack(QDir(records).filePath(files[1]));
    EXPECT_EQ(a->RecordDeviceId, SensorA);
    EXPECT_EQ(b->RecordDeviceId, SensorB);
    EXPECT_EQ(a->RecordStartTime, b->RecordStartTime) << "one timeline";
    EXPECT_EQ(files[0], NameOf(SensorA, a->RecordStartTime) + ".csv");
    EXPECT_EQ(files[1], NameOf(SensorB, b->RecordStartTime) + ".csv");
    for (const SampleStore* record : {a.get(), b.get()}) {
        EXPECT_EQ(record->RecordRateIndex, 1);  // 0.1 s, the default
        // 20 s from the first sample: 200 rows, and not many more.
        EXPECT_GE(record->SampleCount, 200);
        EXPECT_LE(record->SampleCount, 230);
    }
    EXPECT_TRUE(program.output.contains((QDir(records).filePath(files[0])).toUtf8())) << Told();
    EXPECT_TRUE(program.output.contains((QDir(records).filePath(files[1])).toUtf8())) << Told();

    const QList<EVENT_MARK_TYPE> marksA = MarksOf(*a);
    const QList<EVENT_MARK_TYPE> marksB = MarksOf(*b);
    ASSERT_EQ(marksA.size(), 1);
    ASSERT_EQ(marksB.size(), 1);
    EXPECT_EQ(marksA[0].code, 3);
    EXPECT_EQ(marksB[0].code, 3);
    EXPECT_EQ(marksA[0].sample, marksB[0].sample);
    // Sent when the program had measured 8 s and had rows up to then; on a
    // row that came before the second line after the answer.
    EXPECT_GE(marksA[0].sample, atEight.sensors.value(SensorA).rows - 1);
    EXPECT_GE(marksA[0].sample, 79);
    EXPECT_LT(marksA[0].sample, rowsAfter);
    const double rowDays = 0.1 / 86400;
    EXPECT_NEAR(a->Samples[marksA[0].sample].time, b->Samples[marksB[0].sample].time, rowDays);
    EXPECT_FALSE(program.errors.contains("re-entered")) << Told();  // one flow at a time, as in the window
}

// SIGINT of a terminal's Ctrl+C and SIGTERM of a service manager end the
// measurement early, and every record is saved, into a folder made for it.
class RecordCommandSignal : public RecordCommand, public ::testing::WithParamInterface<int> {};

TEST_P(RecordCommandSignal, EndsTheMeasurementAndSavesEveryRecord) {
    ASSERT_TRUE(program.Start({"--record", records, "--sensors", BothSensors, "--simulate=2"}));
    ASSERT_TRUE(program.ReadUntil([&] { return Measured(SensorA, 10) && Measured(SensorB, 10); }, StartLimit))
        << Told();
    const ProgressLine before = program.progress.last();
    // Until they are saved, the records are in the crash journal of the
    // window's records folder, one per sensor, for the window to recover.
    EXPECT_EQ(Journals().size(), 2) << Journals().join(' ').toStdString();
    program.Signal(GetParam());
    ASSERT_EQ(program.Finish(EndLimit), 0) << Told();

    const QStringList files = CsvFilesIn(records);
    ASSERT_EQ(files.size(), 2) << files.join(' ').toStdString();
    for (int i = 0; i < 2; ++i) {
        const QString sensor = i == 0 ? SensorA : SensorB;
        const auto record = ReadBack(QDir(records).filePath(files[i]));
        EXPECT_EQ(record->RecordDeviceId, sensor);
        EXPECT_GE(record->SampleCount, before.sensors.value(sensor).rows);
        EXPECT_TRUE(program.output.contains(QDir(records).filePath(files[i]).toUtf8())) << Told();
    }
    // Saved: no crash journal is left for the window to recover.
    EXPECT_TRUE(Journals().isEmpty()) << Journals().join(' ').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Signals, RecordCommandSignal, ::testing::Values(SIGINT, SIGTERM),
                         [](const auto& info) { return info.param == SIGINT ? "SIGINT" : "SIGTERM"; });

// Nothing in the folder is replaced: a name taken gets a number. The
// program is given a name taken for every second it may start in.
TEST_F(RecordCommand, AFileInTheFolderKeepsItsNameAndTheRecordTakesTheNext) {
    ASSERT_TRUE(QDir().mkpath(records));
    const double now = OleDateFromQDateTime(QDateTime::currentDateTime());
    QStringList taken;
    for (int second = -2; second < 120; ++second) {
        const QString name = NameOf(SensorA, now + second / 86400.0) + ".csv";
        QFile file(QDir(records).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("kept");
        taken << name;
    }
    ASSERT_TRUE(program.Start({"--record", records, "--sensors", SensorA, "--rate", "0.2", "--duration", "2",
                               "--simulate=1"}));
    ASSERT_EQ(program.Finish(StartLimit + EndLimit), 0) << Told();

    QStringList made = CsvFilesIn(records);
    for (const QString& name : taken) {
        made.removeOne(name);
        QFile file(QDir(records).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), "kept") << name.toStdString();
    }
    ASSERT_EQ(made.size(), 1) << made.join(' ').toStdString();
    const auto record = ReadBack(QDir(records).filePath(made[0]));
    EXPECT_EQ(made[0], NameOf(SensorA, record->RecordStartTime) + "_2.csv");
    EXPECT_EQ(record->RecordRateIndex, 2);  // 0.2 s
    EXPECT_GE(record->SampleCount, 10);     // 2 s of it
    EXPECT_LE(record->SampleCount, 25);
}

// A name the scan did not find ends the recording before it starts, named;
// an unpaired sensor is not found, as in the window.
TEST_F(RecordCommand, ASensorNotFoundIsNamedAndNothingIsRecorded) {
    ASSERT_TRUE(program.Start({"--record", records, "--sensors",
                               SensorA + ",Tq580-777777-001,Tq580-999999-001", "--duration", "1", "--simulate=4"}));
    ASSERT_EQ(program.Finish(StartLimit), 1) << Told();
    const QString errors = QString::fromUtf8(program.errors);
    const QString missing = errors.section(QStringLiteral("Not found in the scan:"), 1).section(QLatin1Char('.'), 0, 0);
    EXPECT_TRUE(missing.contains(QLatin1String("Tq580-777777-001"))) << errors.toStdString();
    EXPECT_TRUE(missing.contains(QLatin1String("Tq580-999999-001"))) << errors.toStdString();
    EXPECT_FALSE(missing.contains(SensorA)) << errors.toStdString();
    EXPECT_TRUE(CsvFilesIn(records).isEmpty());
}

// Stopped while it still scans, there is nothing to save, and it says so.
TEST_F(RecordCommand, ASignalBeforeTheFirstSampleSavesNothing) {
    // A sensor that is not there keeps the scan running to its end.
    ASSERT_TRUE(program.Start({"--record", records, "--sensors", "Tq580-999999-001", "--simulate=1"}));
    ASSERT_TRUE(program.ReadUntil([&] { return !program.progress.isEmpty(); }, StartLimit)) << Told();
    EXPECT_EQ(program.progress.last().sensors.value("Tq580-999999-001").state, "scanning");
    program.Signal(SIGINT);
    ASSERT_EQ(program.Finish(EndLimit), 1) << Told();
    EXPECT_TRUE(program.errors.contains("nothing was saved")) << Told();
    EXPECT_TRUE(CsvFilesIn(records).isEmpty());
}

// Without --simulate the computer's Bluetooth is used, as by the window;
// where there is none, the program says so.
TEST_F(RecordCommand, NoBluetoothIsToldAndEndsIt) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"),
                       QStringLiteral("unix:path=") + work.filePath(QStringLiteral("no-bus")));
    ASSERT_TRUE(program.Start({"--record", records, "--sensors", SensorA, "--duration", "1"}, environment));
    ASSERT_EQ(program.Finish(EndLimit), 1) << Told();
    EXPECT_TRUE(program.errors.contains("No Bluetooth LE adapter")) << Told();
}

// Mistakes of the command line are told before anything is done.
TEST_F(RecordCommand, UsageErrorsExitTwoAndTouchNothing) {
    const std::pair<QStringList, const char*> cases[] = {
        {{"--record", records}, "--sensors"},
        {{"--record", records, "--sensors", SensorA, "--rate", "0.3", "--simulate"}, "'0.3'"},
        {{"--sensors", SensorA, "--duration", "2", "--simulate"}, "only used with --record"},
        {{"--record", records, "--sensors", SensorA, "--simulate=31"}, "1 to 30"},
    };
    for (const auto& [arguments, named] : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        RecordProgram wrong(work.path());
        ASSERT_TRUE(wrong.Start(arguments));
        EXPECT_EQ(wrong.Finish(EndLimit), 2);
        EXPECT_TRUE(wrong.errors.contains(named)) << wrong.errors.toStdString();
        EXPECT_TRUE(wrong.output.isEmpty()) << wrong.output.toStdString();
        EXPECT_FALSE(QFileInfo::exists(records));
    }
}

}  // namespace
