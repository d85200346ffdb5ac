// Upload all through the session: every waiting sensor with a stored record
// uploaded, several at once, each saved without a question as a single
// upload saves it; failures, Cancel, the time-outs and what is refused
// meanwhile.
#include <QDir>

#include "session/StringTable.h"
#include "session/UploadAllSession.h"
#include "storage/EventLog.h"

namespace {

using UploadAll = UploadAllTest;

// The four stored records of the simulated sensors the program offers: each
// file holds what a single upload of that sensor brings in (merged with the
// event log), its SNIRF file beside it, and only then is the sensor cleared.
TEST_F(UploadAll, EveryStoredRecordIsSavedAsASingleUploadBringsItIn) {
    AcquisitionSession& s = StartOnStoragePage(DefaultSensors(10));
    view.choices.mergeAfterUpload = true;
    ASSERT_TRUE(AppendEventLog(EventLogPath(), clock->Now() - 300.0 / 86400, 2));
    ASSERT_TRUE(AppendEventLog(EventLogPath(), clock->Now() - 200.0 / 86400, -2));
    const QStringList stored = {"Tq580-123456-001", "Tq580-123456-004", "Tq580-123456-005", "Tq580-123456-008"};
    const QString single = folder.filePath(QStringLiteral("single"));
    ASSERT_TRUE(QDir().mkpath(single));
    for (const QString& name : stored) {
        // Its save declined, the sensor keeps its log; "Save" writes the record.
        prompts.fileNames.push_back(QString());
        s.UploadButtonClicked(RowOf(name));
        ASSERT_TRUE(AdvanceUntil([&] { return s.Mode() == SessionMode::UploadDone && s.UploadPanel.OkEnabled; }, 120000))
            << name.toStdString();
        s.UploadOkButtonClicked();
        prompts.fileNames.push_back(QDir(single).filePath(name + ".csv"));
        s.SaveClicked();
        s.SettleDiskWrites();
        ASSERT_TRUE(s.PageChanged(1));
        Advance(5500);
    }
    ASSERT_EQ(s.Mode(), SessionMode::StorageCycle);

    s.UploadParallel = 4;
    prompts.shown.clear();
    s.UploadAllButtonClicked();
    EXPECT_EQ(s.Mode(), SessionMode::WaitingForUploadAllScan);
    ASSERT_TRUE(AdvanceUntilUploadAllEnds());
    EXPECT_EQ(mostLinks, 4);
    EXPECT_EQ(s.Mode(), SessionMode::StorageCycle);
    ASSERT_EQ(s.UploadAllSoFar().sensors.size(), stored.size());
    ASSERT_EQ(prompts.shown.size(), 1);
    const QString message = prompts.shown[0];
    EXPECT_TRUE(message.startsWith("NOTICE: " + MsgUploadAllSaved.arg(4).arg(4).arg(QDir::toNativeSeparators(DataFolder())) +
                                   MsgUploadAllWithSnirf + ":"))
        << message.toStdString();
    for (const QString& name : stored) {
        SCOPED_TRACE(name.toStdString());
        const QString base = BaseNameOf(name, QDir(single).filePath(name + ".csv"));
        const QString file = QDir(DataFolder()).filePath(base + ".csv");
        EXPECT_EQ(Outcome(name).progress.stage, UploadAllStage::Saved);
        EXPECT_EQ(Outcome(name).files, (QStringList{base + ".csv", base + ".snirf"}));
        EXPECT_TRUE(message.contains("\n  " + base + ".csv")) << message.toStdString();
        const QByteArray bytes = FileBytes(file);
        EXPECT_FALSE(bytes.isEmpty());
        EXPECT_EQ(bytes, FileBytes(QDir(single).filePath(name + ".csv")));
        EXPECT_TRUE(bytes.contains(",S2,") && bytes.contains(",E2,")) << "the event log's marks are merged";
        EXPECT_TRUE(QFileInfo(QDir(DataFolder()).filePath(base + ".snirf")).size() > 0);
        EXPECT_EQ(central->CommandsTo(name).last(), "@CLR");
        EXPECT_EQ(simulator->Sensor(name)->StoredSamples(), 0);
    }
}

// Never more links than asked for, and with one at a time, in the table's order.
class UploadAllParallel : public UploadAll, public ::testing::WithParamInterface<int> {};

TEST_P(UploadAllParallel, NeverMoreLinksThanAskedFor) {
    const int parallel = GetParam();
    AcquisitionSession& s = StartOnStoragePage(FourStored());
    s.UploadParallel = parallel;
    QStringList order;
    s.UploadAllButtonClicked();
    ASSERT_TRUE(AdvanceUntil(
        [&] {
            for (int number = 1; number <= 4; ++number)
                if (s.UploadAllProgressOf(SensorName(number)).stage == UploadAllStage::Saved &&
                    !order.contains(SensorName(number)))
                    order << SensorName(number);
            mostLinks = std::max(mostLinks, LinksUp());
            return !s.UploadAllButtonCancels();
        },
        120000));
    EXPECT_EQ(mostLinks, parallel);
    EXPECT_EQ(order.size(), 4);
    if (parallel == 1) {
        EXPECT_EQ(order, (QStringList{SensorName(1), SensorName(2), SensorName(3), SensorName(4)}));
    }
    EXPECT_TRUE(central->CommandsTo(SensorName(5)).isEmpty()) << "a logging sensor is left alone";
}

INSTANTIATE_TEST_SUITE_P(Uploads, UploadAllParallel, ::testing::Values(1, 2, 3));

// A sensor that fails is told with its reason and keeps its log; the others
// are saved and cleared.
struct FailureCase {
    const char* name;
    std::function<void(SimulatedSensor&)> before;  // as Upload all begins
    std::function<void(SimulatedSensor&)> during;  // a tenth into its upload
    QString reason;
};

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }

class UploadAllFailure : public UploadAll, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(UploadAllFailure, IsReportedAndTheOthersAreSaved) {
    const FailureCase& c = GetParam();
    AcquisitionSession& s = StartOnStoragePage(FourStored());
    SimulatedSensor& failing = *simulator->Sensor(SensorName(2));
    s.UploadParallel = 2;
    s.UploadAllButtonClicked();
    ASSERT_TRUE(AdvanceUntil([&] { return s.Mode() == SessionMode::UploadingAll; }, 10000));
    if (c.before) c.before(failing);
    if (c.during) {
        ASSERT_TRUE(AdvanceUntil([&] { return s.UploadAllProgressOf(SensorName(2)).percent >= 10; }, 60000));
        c.during(failing);
    }
    ASSERT_TRUE(AdvanceUntilUploadAllEnds());
    EXPECT_EQ(Outcome(SensorName(2)).progress.stage, UploadAllStage::Failed);
    EXPECT_EQ(Outcome(SensorName(2)).reason, c.reason);
    EXPECT_FALSE(central->CommandsTo(SensorName(2)).contains("@CLR"));
    for (int number : {1, 3, 4}) {
        EXPECT_EQ(Outcome(SensorName(number)).progress.stage, UploadAllStage::Saved) << number;
        EXPECT_EQ(simulator->Sensor(SensorName(number))->StoredSamples(), 0) << number;
    }
    EXPECT_EQ(failing.StoredSamples(), 600);
    ASSERT_FALSE(prompts.shown.isEmpty());
    const QString message = prompts.shown.last();
    EXPECT_TRUE(message.startsWith("ERROR: " + MsgUploadAllSaved.arg(3).arg(4).arg(QDir::toNativeSeparators(DataFolder())))) << message.toStdString();
    EXPECT_TRUE(message.contains(MsgUploadAllNotSaved + "\n  " + SensorName(2) + ": " + c.reason)) << message.toStdString();
    EXPECT_FALSE(s.Controls.Busy);
    EXPECT_TRUE(s.Controls.StorageControlsEnabled);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, UploadAllFailure,
    ::testing::Values(
        FailureCase{"LinkDropped", {}, [](SimulatedSensor& sensor) { sensor.SetInRange(false); }, ReasonLinkLost},
        FailureCase{"FallsSilent", {}, [](SimulatedSensor& sensor) { sensor.SetSilent(true); }, ReasonSilent},
        FailureCase{"SamplesLost", {}, [](SimulatedSensor& sensor) { sensor.DropPackets(1); }, ReasonSamplesLost},
        FailureCase{"BadHeader", [](SimulatedSensor& sensor) { sensor.SetBadUploadHeader(true); }, {}, ReasonBadHeader},
        FailureCase{"NeverLinks", [](SimulatedSensor& sensor) { sensor.SetInRange(false); }, {}, ReasonNoLink}),
    [](const auto& info) { return std::string(info.param.name); });

// A record file the disk does not take (the large one, past the room left):
// that sensor keeps its log and its name is free again; the others are saved.
TEST_F(UploadAll, ARecordFileThatCannotBeWrittenKeepsOnlyThatSensorsLog) {
    QList<SimulatedSensorSpec> sensors = FourStored();
    sensors[1].storedSamples = 6000;
    AcquisitionSession& s = StartOnStoragePage(sensors);
    const FileSizeLimit room(300000);  // the small records' files fit, the large one's does not
    ASSERT_TRUE(room.active());
    s.UploadParallel = 2;
    s.UploadAllButtonClicked();
    ASSERT_TRUE(AdvanceUntilUploadAllEnds());
    const UploadAllSensor& failed = Outcome(SensorName(2));
    EXPECT_EQ(failed.progress.stage, UploadAllStage::Failed);
    EXPECT_TRUE(failed.reason.startsWith(ReasonRecordNotWritten.arg(QString()))) << failed.reason.toStdString();
    EXPECT_TRUE(failed.files.isEmpty());
    EXPECT_TRUE(QDir(DataFolder()).entryList({SensorName(2) + "*"}, QDir::Files).isEmpty());
    EXPECT_FALSE(central->CommandsTo(SensorName(2)).contains("@CLR"));
    EXPECT_EQ(simulator->Sensor(SensorName(2))->StoredSamples(), 6000);
    for (int number : {1, 3, 4}) {
        EXPECT_EQ(Outcome(SensorName(number)).progress.stage, UploadAllStage::Saved) << number;
        EXPECT_EQ(simulator->Sensor(SensorName(number))->StoredSamples(), 0) << number;
    }
    EXPECT_TRUE(prompts.shown.last().startsWith("ERROR: " + MsgUploadAllSaved.arg(3).arg(4).arg(QDir::toNativeSeparators(DataFolder()))));
}

}  // namespace
