#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <limits>

#include "data/CsvReader.h"
#include "data/CsvWriter.h"
#include "data/OleDate.h"
#include "data/RateTable.h"
#include "data/SampleStore.h"
#include "storage/EventLog.h"
#include "storage/EventMerge.h"

namespace {

double At(int hour, int minute, int second, int millisecond = 0, int day = 10) {
    return *OleDateFromParts({2026, 12, day, hour, minute, second, millisecond});
}

// A record of count samples from 10:00:00.000 at the given rate index.
void Record(SampleStore& store, int rateIndex, int32_t count, int64_t intervalMilliseconds) {
    store.SampleCount = count;
    store.RecordRateIndex = rateIndex;
    store.RecordStartTime = At(10, 0, 0);
    store.RecordEndTime =
        MillisecondsToOleDate(OleDateToMilliseconds(store.RecordStartTime) + (count - 1) * intervalMilliseconds);
}

QList<std::pair<int, int>> Marks(const SampleStore& store) {
    QList<std::pair<int, int>> marks;
    for (int i = 0; i < EventMarkCount(store); ++i) marks.append({store.EventMarks[i].sample, store.EventMarks[i].code});
    return marks;
}

}  // namespace

TEST(EventMerge, MarksLandOnTheSampleTakenAtTheirTime) {
    SampleStore store;
    Record(store, 4, 3600, 1000);
    AddEventMark(store, 5, 1);
    const MergeOutcome outcome = MergeEventMarks(store, {{At(10, 15, 30, 400), 2}, {At(10, 20, 0), -2}});
    EXPECT_EQ(outcome.cleared, 1);
    EXPECT_EQ(outcome.merged, 2);
    EXPECT_EQ(Marks(store), (QList<std::pair<int, int>>{{930, 2}, {1200, -2}}));
}

TEST(EventMerge, ReadingStopsAfterTheRecordsEnd) {
    SampleStore store;
    Record(store, 1, 12000, 100);  // last sample 10:19:59.900
    const MergeOutcome outcome =
        MergeEventMarks(store, {{At(10, 15, 30, 400), 2}, {At(10, 20, 0), -2}, {At(10, 0, 1), 3}});
    EXPECT_EQ(outcome.merged, 1);
    EXPECT_EQ(Marks(store), (QList<std::pair<int, int>>{{9304, 2}}));
}

TEST(EventMerge, StrictOuterChecksAndSkippedMarks) {
    SampleStore store;
    Record(store, 4, 60, 1000);  // 10:00:00 .. 10:00:59
    struct Case {
        const char* what;
        QList<EventLogRecord> log;
        int merged;
    } cases[] = {
        {"empty log", {}, 0},
        {"one second after the end", {{At(10, 1, 0), 1}}, 0},
        {"first exactly at the end", {{store.RecordEndTime, 1}}, 0},
        {"last exactly at the start", {{At(9, 0, 0), 1}, {store.RecordStartTime, 1}}, 0},
        {"at the start and at the end", {{store.RecordStartTime, 1}, {store.RecordEndTime, -1}, {At(10, 2, 0), 2}}, 2},
        {"bad event numbers", {{At(10, 0, 1), 0}, {At(10, 0, 2), 10}, {At(10, 0, 3), -10}, {At(10, 0, 4), -9}}, 1},
    };
    for (const auto& c : cases) {
        for (auto& mark : store.EventMarks) mark = {-1, 0};
        AddEventMark(store, 1, 1);
        const MergeOutcome outcome = MergeEventMarks(store, c.log);
        EXPECT_EQ(outcome.merged, c.merged) << c.what;
        EXPECT_EQ(EventMarkCount(store), c.merged) << c.what;
        EXPECT_EQ(outcome.cleared, 1) << c.what;
    }
}

// The PC clock was set back an hour during the event log (the end of
// daylight saving time): its times go backwards. Every mark inside the
// record is merged, and the saved file holds them all, in sample order.
TEST(EventMerge, MarksOfALogWhoseClockWentBackAreKeptInSampleOrder) {
    SampleStore store;
    Record(store, 4, 3600, 1000);
    const MergeOutcome outcome =
        MergeEventMarks(store, {{At(10, 40, 0), 1}, {At(10, 50, 0), -1}, {At(10, 5, 0), 2}, {At(10, 5, 0), -2}});
    EXPECT_EQ(outcome.merged, 4);
    const QList<std::pair<int, int>> inSampleOrder{{300, 2}, {300, -2}, {2400, 1}, {3000, -1}};
    EXPECT_EQ(Marks(store), inSampleOrder);

    store.RecordDeviceId = QStringLiteral("Tq580-123456-001");
    QTemporaryDir folder;
    const QString path = folder.filePath("merged.csv");
    ASSERT_EQ(WriteRecordFile(store, path).result, CsvWriteResult::Written);
    SampleStore opened;
    ASSERT_TRUE(ReadRecordFile(opened, path).recordReplaced);
    EXPECT_EQ(Marks(opened), inSampleOrder);
}

TEST(EventMerge, MarkBeyondTheStoredSamplesIsDropped) {
    SampleStore store;
    Record(store, 4, 60, 1000);
    store.SampleCount = 30;  // an upload that stopped early
    EXPECT_EQ(MergeEventMarks(store, {{At(10, 0, 29), 1}, {At(10, 0, 30), 2}}).merged, 1);
}

TEST(EventMerge, OnlyTheFirstHundredMarksAreKept) {
    SampleStore store;
    Record(store, 4, 3600, 1000);
    QList<EventLogRecord> log;
    for (int i = 0; i < 120; ++i) log.append({At(10, 1, 0) + i / 86400.0, 1 + i % 9});
    EXPECT_EQ(MergeEventMarks(store, log).merged, MaxEventMarks);
    EXPECT_EQ(store.EventMarks[MaxEventMarks - 1].code, 1 + 99 % 9);
}

TEST(EventMerge, RecordsLongerThanADay) {
    SampleStore store;
    Record(store, 5, 20000, 5000);
    EXPECT_EQ(MergeEventMarks(store, {{At(11, 0, 0, 0, 11), 4}}).merged, 1);  // 25 h later
    EXPECT_EQ(store.EventMarks[0].sample, 18000);
}

TEST(EventMerge, ReadsTheLogFileAsWritten) {
    QTemporaryDir folder;
    const QString path = folder.filePath("tq580.evl");
    ASSERT_TRUE(AppendEventLog(path, At(10, 15, 30, 400), 2));
    ASSERT_TRUE(AppendEventLog(path, At(10, 20, 0), -2));
    QList<EventLogRecord> records;
    QString error;
    ASSERT_TRUE(ReadEventLog(path, records, &error));
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].tm, At(10, 15, 30, 400));
    EXPECT_EQ(records[1].event, -2);

    EXPECT_FALSE(ReadEventLog(folder.filePath("missing.evl"), records, &error));
    EXPECT_FALSE(error.isEmpty());
}

// A damaged log can hold times that are no number. Such a record is skipped
// wherever it lies, and the marks around it are merged at every rate: at
// 50, 1000 and 5000 ms a NaN once left a mark at a huge index that hid
// every later mark, at 100, 200 and 500 ms it took a negative index.
class EventMergeDamagedTime : public ::testing::TestWithParam<int> {};

TEST_P(EventMergeDamagedTime, IsSkippedAndTheOtherMarksAreMerged) {
    const int rateIndex = GetParam();
    const int64_t interval = RateTable[rateIndex];
    SampleStore store;
    Record(store, rateIndex, 100, interval);
    const auto sampleTime = [&](int64_t sample) {
        return MillisecondsToOleDate(OleDateToMilliseconds(store.RecordStartTime) + sample * interval);
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    const QList<EventLogRecord> logs[] = {
        {{sampleTime(1), 1}, {nan, 3}, {sampleTime(5), 2}},
        {{nan, 3}, {sampleTime(1), 1}, {sampleTime(5), 2}},
        {{sampleTime(1), 1}, {sampleTime(5), 2}, {nan, 3}},
        {{sampleTime(1), 1}, {infinity, 3}, {-infinity, 4}, {-nan, 5}, {sampleTime(5), 2}},
    };
    for (const QList<EventLogRecord>& log : logs) {
        const MergeOutcome outcome = MergeEventMarks(store, log);
        EXPECT_EQ(outcome.merged, 2);
        EXPECT_EQ(Marks(store), (QList<std::pair<int, int>>{{1, 1}, {5, 2}}));
        for (const EVENT_MARK_TYPE& mark : store.EventMarks) EXPECT_LT(mark.sample, store.SampleCount);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryRate, EventMergeDamagedTime, ::testing::Range(0, RateCount));
