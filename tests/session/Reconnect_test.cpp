// A link lost during a measurement comes back by itself: the program seeks
// the sensor, connects and starts it again, and the record keeps one
// timeline through the gap.
#include <QDir>

#include "data/CsvReader.h"
#include "data/OleDate.h"
#include "data/RateTable.h"
#include "session/SimulatedSession.h"
#include "session/StringTable.h"

namespace {

const QString Sensor1 = QStringLiteral("Tq580-123456-001");

class Reconnect : public SimulatedSessionTest {
protected:
    void SensorInRange(bool inRange) { simulator->Sensor(Sensor1)->SetInRange(inRange); }
    // Measures two seconds, then the sensor walks out of range.
    AcquisitionSession& MeasureThenLoseTheSensor() {
        AcquisitionSession& s = Start();
        StartMeasurementOn(Sensor1);
        Advance(2000);
        SensorInRange(false);
        return s;
    }
    // The sensor came back; advances until the search connects to it.
    void ComeBackUntilItConnects(AcquisitionSession& s) {
        SensorInRange(true);
        ASSERT_TRUE(AdvanceUntil([&] { return s.Mode() == SessionMode::ReconnectLink; }, 15000));
    }
    // Milliseconds from the record's start to a time.
    int64_t Since(const AcquisitionSession& s, double time) const {
        return OleDateToMilliseconds(time) - OleDateToMilliseconds(s.Store.RecordStartTime);
    }
    static bool NoData(const MEAS_DATA_TYPE& sample) { return sample.ch[0].status & StatusNoData; }

    // Every row sits where its time puts it (a real sample within two rows'
    // time of arriving; a row without data exactly), and the rows without
    // data are one run, returned as [first, end).
    std::pair<int32_t, int32_t> CheckTimeline(const AcquisitionSession& s) {
        const int64_t interval = RateTable[s.Store.RecordRateIndex];
        int32_t first = -1;
        int32_t end = -1;
        for (int32_t i = 0; i < s.Store.SampleCount; ++i) {
            const MEAS_DATA_TYPE& sample = s.Store.Samples[i];
            EXPECT_EQ(sample.index, i);
            if (NoData(sample)) {
                EXPECT_EQ(Since(s, sample.time), int64_t{i} * interval) << i;
                if (first < 0) first = i;
                EXPECT_TRUE(end < 0) << "a second run of rows without data at " << i;
            } else {
                EXPECT_NEAR(static_cast<double>(Since(s, sample.time)), static_cast<double>(i * interval),
                            2.0 * interval)
                    << i;
                if (first >= 0 && end < 0) end = i;
            }
        }
        return {first, end};
    }
};

struct DropCase {
    const char* name;
    int seconds;
};

class ReconnectAfterADrop : public Reconnect, public ::testing::WithParamInterface<DropCase> {};

TEST_P(ReconnectAfterADrop, TheRecordGoesOnWithTheGapAsRowsWithoutData) {
    const int dropSeconds = GetParam().seconds;
    AcquisitionSession& s = Start();
    StartMeasurementOn(Sensor1);
    Advance(3000);
    const int32_t before = s.Store.SampleCount;
    ASSERT_GT(before, 20);

    SensorInRange(false);  // the subject walked away: the link drops
    Advance(50);
    EXPECT_TRUE(s.Supervision.LinkLost);  // told at once, as the silence would tell it
    EXPECT_EQ(s.Mode(), SessionMode::ReconnectScan);
    EXPECT_TRUE(view.LastStatusText().endsWith(MsgReconnecting)) << view.LastStatusText().toStdString();
    EXPECT_EQ(s.ConnectButtonTag(), 1);

    Advance(dropSeconds * 500);
    const double markTime = clock->Now();
    s.MarkEvent(6);  // typed while the sensor is away
    Advance(dropSeconds * 500);
    SensorInRange(true);
    ASSERT_TRUE(AdvanceUntil([&] { return s.Mode() == SessionMode::Measuring; }, 15000)) << SessionModeName(s.Mode());
    EXPECT_TRUE(view.LastStatusText().contains("reconnected after")) << view.LastStatusText().toStdString();
    Advance(3000);
    EXPECT_FALSE(s.Supervision.LinkLost);
    EXPECT_EQ(central->CommandsTo(Sensor1), QStringList({"ST1", "ST1"}));

    const auto [first, end] = CheckTimeline(s);
    EXPECT_EQ(first, before);
    const int64_t gapMilliseconds = int64_t{end - first} * 100;
    EXPECT_GE(gapMilliseconds, dropSeconds * 1000);
    EXPECT_LE(gapMilliseconds, dropSeconds * 1000 + 12000);  // at most a scan and a connection more
    EXPECT_GT(s.Store.SampleCount, end + 25);
    ASSERT_EQ(EventMarkCount(s.Store), 1);
    EXPECT_NEAR(static_cast<double>(s.Store.EventMarks[0].sample), Since(s, markTime) / 100.0, 6);

    // The saved file holds the same timeline, the gap as rows without data.
    const QString path = QDir(DataFolder()).filePath("with-a-gap.csv");
    prompts.fileNames.push_back(path);
    s.ConnectButtonClicked();
    s.SettleDiskWrites();
    ASSERT_TRUE(s.Store.DataSaved);
    SampleStore saved;
    ASSERT_TRUE(ReadRecordFile(saved, path).recordReplaced);
    ASSERT_EQ(saved.SampleCount, s.Store.SampleCount);
    for (int32_t i = 0; i < saved.SampleCount; ++i)
        ASSERT_EQ(NoData(saved.Samples[i]), NoData(s.Store.Samples[i])) << i;
    EXPECT_EQ(saved.EventMarks[0].sample, s.Store.EventMarks[0].sample);
    EXPECT_EQ(saved.EventMarks[0].code, 6);
}

INSTANTIATE_TEST_SUITE_P(Drops, ReconnectAfterADrop, ::testing::Values(DropCase{"ThreeSeconds", 3}, DropCase{"AMinute", 60}),
                         [](const auto& info) { return std::string(info.param.name); });

// After the gap, the first sample goes on the row of its arrival time, and a
// mark typed in the gap on the row of the time it was typed: a row k is the
// one from the record's start plus k intervals until the next.
struct RowCase {
    const char* name;
    int rateItem;  // 0 is 0.1 s, 3 is 1 s, 4 is 5 s
    int awaySeconds;
};

class RowsAfterAGap : public Reconnect, public ::testing::WithParamInterface<RowCase> {};

TEST_P(RowsAfterAGap, SitAtTheirTime) {
    const RowCase row = GetParam();
    AcquisitionSession& s = Start();
    StartMeasurementOn(Sensor1, row.rateItem);
    const int64_t interval = RateTable[s.Store.RecordRateIndex];
    Advance(3 * interval + 2000);
    const int32_t before = s.Store.SampleCount;
    ASSERT_GT(before, 1);
    SensorInRange(false);
    Advance(row.awaySeconds * 500 + 130);
    const double markTime = clock->Now();
    s.MarkEvent(7);
    Advance(row.awaySeconds * 500);
    SensorInRange(true);
    ASSERT_TRUE(AdvanceUntil([&] { return s.Mode() == SessionMode::Measuring; }, 20000));
    ASSERT_TRUE(AdvanceUntil([&] { return !NoData(s.Store.Samples[s.Store.SampleCount - 1]); }, 3 * interval));

    int32_t first = before;
    while (NoData(s.Store.Samples[first])) ++first;
    ASSERT_GT(first, before) << "a gap of rows without data";
    EXPECT_EQ(first, Since(s, s.Store.Samples[first].time) / interval) << "the first sample after the gap";
    ASSERT_EQ(EventMarkCount(s.Store), 1);
    EXPECT_EQ(s.Store.EventMarks[0].sample, Since(s, markTime) / interval) << "the mark typed in the gap";
    for (int32_t i = 0; i < first; ++i) EXPECT_EQ(s.Store.Samples[i].index, i);
}

INSTANTIATE_TEST_SUITE_P(Rates, RowsAfterAGap,
                         ::testing::Values(RowCase{"TenthOfASecond", 0, 4}, RowCase{"OneSecond", 3, 8},
                                           RowCase{"FiveSeconds", 4, 24}),
                         [](const auto& info) { return std::string(info.param.name); });

// A sensor that never comes back is sought until "End"; the record ends in
// rows without data, and nothing connects after the end.
TEST_F(Reconnect, EndWhileTheSensorIsAwayEndsTheSearch) {
    AcquisitionSession& s = MeasureThenLoseTheSensor();
    Advance(30000);
    EXPECT_EQ(s.Mode(), SessionMode::ReconnectScan);
    EXPECT_GT(central->calls.filter("scan").size(), 3);  // scan after scan

    prompts.fileNames.push_back(QDir(DataFolder()).filePath("never-back.csv"));
    s.ConnectButtonClicked();
    s.SettleDiskWrites();
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
    EXPECT_TRUE(s.Store.DataSaved);
    EXPECT_TRUE(NoData(s.Store.Samples[s.Store.SampleCount - 1]));
    SensorInRange(true);
    Advance(15000);
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
    EXPECT_EQ(central->CommandsTo(Sensor1), QStringList{"ST1"});
    EXPECT_FALSE(simulator->Sensor(Sensor1)->Connected());
}

// "End" while the new link is coming up calls the connection off.
TEST_F(Reconnect, EndWhileTheLinkComesUpCallsItOff) {
    AcquisitionSession& s = MeasureThenLoseTheSensor();
    Advance(1000);
    ComeBackUntilItConnects(s);
    prompts.fileNames.push_back(QString());
    s.ConnectButtonClicked();
    Advance(3000);
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
    EXPECT_FALSE(simulator->Sensor(Sensor1)->Connected());
}

// The sensor "End" stopped is silent while the save is offered; however
// long the user takes for the file name, that is no lost link.
TEST_F(Reconnect, TheSilenceAfterEndIsNoLoss) {
    AcquisitionSession& s = Start();
    StartMeasurementOn(Sensor1);
    Advance(3000);
    prompts.holdAnswers = true;
    prompts.fileNames.push_back(QDir(DataFolder()).filePath("slowly-named.csv"));
    s.ConnectButtonClicked();
    Advance(30000);
    ASSERT_TRUE(prompts.AnswerHeld());
    s.SettleDiskWrites();
    EXPECT_TRUE(s.Store.DataSaved);
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
    EXPECT_FALSE(s.Supervision.LinkLost);
    Advance(15000);
    EXPECT_EQ(central->CommandsTo(Sensor1), QStringList({"ST1", "ED"}));
    EXPECT_FALSE(simulator->Sensor(Sensor1)->Connected());
}

// A sensor check reconnects the same way; it keeps no timeline.
TEST_F(Reconnect, ASensorCheckReconnectsToo) {
    AcquisitionSession& s = Start();
    StartMeasurementOn(Sensor1, 0, true);
    Advance(2000);
    ASSERT_EQ(s.Mode(), SessionMode::SensorCheck);
    const int32_t before = s.Store.SampleCount;
    SensorInRange(false);
    Advance(4000);
    EXPECT_EQ(s.Mode(), SessionMode::ReconnectScan);
    EXPECT_EQ(s.Store.SampleCount, before);  // no rows without data in a check
    SensorInRange(true);
    ASSERT_TRUE(AdvanceUntil([&] { return s.Mode() == SessionMode::SensorCheck; }, 15000));
    Advance(2000);
    EXPECT_GT(s.Store.SampleCount, before + 10);
    EXPECT_EQ(central->CommandsTo(Sensor1), QStringList({"CK1", "CK1"}));
    EXPECT_TRUE(view.LastStatusText().contains("Checking sensors... (reconnected after"))
        << view.LastStatusText().toStdString();
}

// A sensor found again whose link does not come up is sought again.
TEST_F(Reconnect, ALinkThatDoesNotComeUpIsSoughtAgain) {
    AcquisitionSession& s = MeasureThenLoseTheSensor();
    Advance(500);
    ComeBackUntilItConnects(s);
    SensorInRange(false);  // gone before its link came up
    ASSERT_TRUE(AdvanceUntil([&] { return s.Mode() == SessionMode::ReconnectScan; }, 25000));
    SensorInRange(true);
    ASSERT_TRUE(AdvanceUntil([&] { return s.Mode() == SessionMode::Measuring; }, 30000));
    EXPECT_TRUE(prompts.shown.filter("ERROR:").isEmpty()) << prompts.shown.join('|').toStdString();
}

}  // namespace

