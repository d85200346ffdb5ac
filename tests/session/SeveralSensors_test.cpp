// Several sensors measured together: one Start, one timeline, every mark in
// every record, a drop on one while the others go on, one save a file each,
// and a journal each that a crash leaves for the next start.
#include <QDir>

#include "data/CsvReader.h"
#include "data/OleDate.h"
#include "data/RateTable.h"
#include "session/SimulatedSession.h"
#include "session/StringTable.h"

namespace {

const QString First = QStringLiteral("Tq580-123456-001");
const QString Second = QStringLiteral("Tq580-123456-002");
const QString Third = QStringLiteral("Tq580-123456-004");

bool NoData(const MEAS_DATA_TYPE& sample) { return sample.ch[0].status & StatusNoData; }

class SeveralSensors : public SimulatedSessionTest {
protected:
    // Start on these sensors at 0.1 s, until every one of them streams.
    AcquisitionSession& MeasureTogether(const QStringList& names) {
        AcquisitionSession& s = Start();
        prompts.connectionAnswers.push_back([names](const ConnectionOffer&) -> std::optional<ConnectionChoice> {
            return ConnectionChoice{names.first(), 0, false, names.mid(1)};
        });
        s.ConnectButtonClicked();
        EXPECT_TRUE(AdvanceUntil([&] { return s.Mode() == SessionMode::Measuring; }, 7000));
        return s;
    }
    SimulatedSensor& Simulated(const QString& name) { return *simulator->Sensor(name); }
    int64_t Since(const SampleStore& store, double time) const {
        return OleDateToMilliseconds(time) - OleDateToMilliseconds(store.RecordStartTime);
    }
    int32_t NoDataRows(const SampleStore& store) const {
        int32_t rows = 0;
        for (int32_t i = 0; i < store.SampleCount; ++i) rows += NoData(store.Samples[i]) ? 1 : 0;
        return rows;
    }
};

TEST_F(SeveralSensors, StreamTogetherOnOneTimelineAndTakeEveryMark) {
    AcquisitionSession& s = MeasureTogether({First, Second, Third});
    ASSERT_EQ(s.SensorCount(), 3);
    Advance(4000);
    s.MarkEvent(3);
    Advance(500);
    ASSERT_TRUE(s.TakeOutsideMark(-3).isEmpty());
    Advance(2000);
    for (int i = 0; i < 3; ++i) {
        const Sensor& sensor = s.SensorAt(i);
        SCOPED_TRACE(sensor.Name().toStdString());
        EXPECT_EQ(sensor.Phase, SensorPhase::Streaming);
        EXPECT_EQ(central->CommandsTo(sensor.Name()), QStringList{"ST1"});
        EXPECT_EQ(sensor.Store.RecordStartTime, s.Store.RecordStartTime) << "one timeline";
        EXPECT_NEAR(sensor.Store.SampleCount, s.Store.SampleCount, 2);
        ASSERT_EQ(EventMarkCount(sensor.Store), 2);
        // Each mark on the row of the same moment in every record.
        for (int m = 0; m < 2; ++m) {
            EXPECT_NEAR(sensor.Store.EventMarks[m].sample, s.Store.EventMarks[m].sample, 1);
            EXPECT_EQ(sensor.Store.EventMarks[m].code, m == 0 ? 3 : -3);
        }
        EXPECT_EQ(NoDataRows(sensor.Store), 0);
    }
}

// A sensor whose first sample comes late begins with rows without data up
// to the row of its first sample's time.
TEST_F(SeveralSensors, ASensorThatComesLateBeginsWithRowsWithoutData) {
    AcquisitionSession& s = Start();
    Advance(100);
    Simulated(Second).SetSilent(true);
    prompts.connectionAnswers.push_back([](const ConnectionOffer&) -> std::optional<ConnectionChoice> {
        return ConnectionChoice{First, 0, false, {Second}};
    });
    s.ConnectButtonClicked();
    ASSERT_TRUE(AdvanceUntil([&] { return s.Store.SampleCount > 0; }, 7000));
    Advance(3000);
    Simulated(Second).SetSilent(false);
    Advance(2000);
    const SampleStore& late = s.SensorAt(1).Store;
    ASSERT_GT(late.SampleCount, 0);
    EXPECT_EQ(late.RecordStartTime, s.Store.RecordStartTime);
    int32_t first = 0;
    while (first < late.SampleCount && NoData(late.Samples[first])) ++first;
    EXPECT_GE(first, 25);
    EXPECT_EQ(first, Since(late, late.Samples[first].time) / RateTable[late.RecordRateIndex]);
    for (int32_t i = 0; i < late.SampleCount; ++i) EXPECT_EQ(late.Samples[i].index, i);
}

// One sensor drops its link: it is sought and reconnected on its own while
// the others go on; only its record has the gap.
TEST_F(SeveralSensors, ADropOnOneLeavesTheOthersGoingOn) {
    AcquisitionSession& s = MeasureTogether({First, Second});
    Advance(2000);
    Simulated(Second).SetInRange(false);
    Advance(200);
    EXPECT_EQ(s.SensorAt(1).Phase, SensorPhase::Scanning);
    EXPECT_EQ(s.Mode(), SessionMode::Measuring) << "the other still measures";
    const int32_t firstBefore = s.Store.SampleCount;
    Advance(3000);
    EXPECT_GE(s.Store.SampleCount, firstBefore + 28);
    Simulated(Second).SetInRange(true);
    ASSERT_TRUE(AdvanceUntil([&] { return s.SensorAt(1).Phase == SensorPhase::Streaming; }, 15000));
    Advance(1000);
    EXPECT_EQ(central->CommandsTo(Second), QStringList({"ST1", "ST1"}));
    EXPECT_EQ(central->CommandsTo(First), QStringList{"ST1"});
    EXPECT_EQ(NoDataRows(s.Store), 0);
    EXPECT_GE(NoDataRows(s.SensorAt(1).Store), 25);
    EXPECT_NEAR(s.SensorAt(1).Store.SampleCount, s.Store.SampleCount, 3) << "the same timeline";
}

// "End" ends all; one name is asked, and each record goes to a file of its own.
TEST_F(SeveralSensors, EndSavesAFileForEachSensorUnderOneName) {
    AcquisitionSession& s = MeasureTogether({First, Second, Third});
    Advance(3000);
    s.MarkEvent(1);
    Advance(1000);
    prompts.shown.clear();
    prompts.fileNames.push_back(QDir(DataFolder()).filePath("trial.csv"));
    s.ConnectButtonClicked();
    s.SettleDiskWrites();
    ASSERT_EQ(prompts.shown.filter("SAVE").size(), 1);
    QStringList names;
    for (int i = 0; i < 3; ++i) {
        const SampleStore& record = s.SensorAt(i).Store;
        const QString file = "trial_" + s.SensorAt(i).Name() + ".csv";
        names << file;
        SampleStore saved;
        ASSERT_TRUE(ReadRecordFile(saved, QDir(DataFolder()).filePath(file)).recordReplaced) << file.toStdString();
        EXPECT_EQ(saved.SampleCount, record.SampleCount);
        EXPECT_EQ(saved.RecordDeviceId, s.SensorAt(i).Name());
        EXPECT_EQ(EventMarkCount(saved), 1);
        EXPECT_TRUE(record.DataSaved);
        EXPECT_FALSE(simulator->Sensor(s.SensorAt(i).Name())->Connected());
    }
    EXPECT_TRUE(prompts.shown.contains("NOTICE: " + names[0] + ", " + names[1] + " and " + names[2] + MsgCreatedSuffix))
        << prompts.shown.join('|').toStdString();
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
}

// Each record has its journal; the next start recovers every one.
TEST_F(SeveralSensors, ACrashLeavesAJournalForEachRecordAndAllComeBack) {
    AcquisitionSession& s = MeasureTogether({First, Second});
    Advance(3000);
    s.SettleDiskWrites();
    const int32_t samples[2] = {s.SensorAt(0).Store.SampleCount - 6, s.SensorAt(1).Store.SampleCount - 6};
    session->SetView(nullptr);
    session.reset();  // the program ends without saving

    AcquisitionSession next(SessionDependencies{*central, prompts, *clock, EventLogPath(), DataFolder(), {}});
    prompts.shown.clear();
    next.RecoverRecords();
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_TRUE(prompts.shown[0].contains("before 2 records were saved")) << prompts.shown[0].toStdString();
    const QStringList files = QDir(DataFolder()).entryList({QStringLiteral("*.csv")}, QDir::Files);
    ASSERT_EQ(files.size(), 2);
    QList<int32_t> recovered;
    for (const QString& file : files) {
        SampleStore record;
        ASSERT_TRUE(ReadRecordFile(record, QDir(DataFolder()).filePath(file)).recordReplaced);
        recovered << record.SampleCount;
    }
    std::sort(recovered.begin(), recovered.end());
    EXPECT_GE(recovered[0], std::min(samples[0], samples[1]));
}

}  // namespace
