// The session's disk writes run on a writer thread: a disk that hangs in a
// sync holds back neither the ticks, nor the samples, nor the marks.
#include <condition_variable>
#include <mutex>
#include <unistd.h>

#include <QDir>
#include <QFile>

#include "journal/JournalReader.h"
#include "session/SimulatedSession.h"
#include "session/StringTable.h"

namespace {

const QString Sensor1 = QStringLiteral("Tq580-123456-001");

// A disk whose syncs wait until the test opens it (or 20 s passed, so a
// failing test still ends).
class DiskGate {
public:
    int Sync(int descriptor) {
        std::unique_lock lock(mutex_);
        ++waiting_;
        opened_.wait_for(lock, std::chrono::seconds(20), [this] { return open_; });
        --waiting_;
        ++syncs_;
        return ::fdatasync(descriptor);
    }
    void Open() {
        {
            std::lock_guard lock(mutex_);
            open_ = true;
        }
        opened_.notify_all();
    }
    int Waiting() {
        std::lock_guard lock(mutex_);
        return waiting_;
    }
    int Syncs() {
        std::lock_guard lock(mutex_);
        return syncs_;
    }

private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
    int waiting_ = 0;
    int syncs_ = 0;
};

class SlowDisk : public SimulatedSessionTest {
protected:
    DiskGate gate;
    void SetUp() override {
        syncFile = [this](int descriptor) { return gate.Sync(descriptor); };
        settleDiskWritesEachTick = false;
    }
    void TearDown() override {
        gate.Open();
        SimulatedSessionTest::TearDown();
    }
};

TEST_F(SlowDisk, TheMeasurementGoesOnWhileTheJournalsSyncHangs) {
    AcquisitionSession& s = Start();
    StartMeasurementOn(Sensor1);
    ASSERT_EQ(s.Mode(), SessionMode::Measuring);
    Advance(4000);
    s.MarkEvent(3);
    Advance(6000);

    // Twenty ticks came and went while the first sync still hangs.
    EXPECT_EQ(gate.Waiting(), 1);
    EXPECT_EQ(gate.Syncs(), 0);
    EXPECT_GE(s.Store.SampleCount, 90);
    ASSERT_EQ(EventMarkCount(s.Store), 1);
    EXPECT_EQ(s.Store.EventMarks[0].code, 3);

    // The disk comes back: the batches that queued meanwhile follow as one.
    gate.Open();
    Advance(500);
    s.SettleDiskWrites();
    SampleStore journalled;
    JournalReadResult result;
    QString error;
    ASSERT_TRUE(ReadJournalFile(s.JournalPath(), journalled, result, &error)) << error.toStdString();
    EXPECT_EQ(result.status, JournalReadStatus::Complete);
    EXPECT_GE(journalled.SampleCount, s.Store.SampleCount - 6);
    for (int32_t i = 0; i < journalled.SampleCount; ++i) ASSERT_EQ(journalled.Samples[i].time, s.Store.Samples[i].time);
    EXPECT_EQ(journalled.EventMarks[0].code, 3);
    EXPECT_EQ(journalled.EventMarks[0].sample, s.Store.EventMarks[0].sample);
    EXPECT_LE(gate.Syncs(), 4);  // not one per tick: they were merged
}

// The save waits for the writer thread, which waits for the disk: the
// session stays Saving, refuses what would change the record, tells once
// that the disk does not answer, and saves when it does.
TEST_F(SlowDisk, ASaveThatWaitsForTheDiskIsAModeAndIsTold) {
    AcquisitionSession& s = Start();
    StartMeasurementOn(Sensor1);
    ASSERT_TRUE(AdvanceUntil([&] { return gate.Waiting() == 1; }, 10000)) << "the journal's sync hangs";
    const QString path = QDir(DataFolder()).filePath("slow.csv");
    prompts.fileNames.push_back(path);
    s.ConnectButtonClicked();
    ASSERT_EQ(s.Mode(), SessionMode::Saving);
    Advance(31000);
    EXPECT_EQ(s.Mode(), SessionMode::Saving);
    EXPECT_FALSE(s.Controls.ConnectEnabled);
    s.ConnectButtonClicked();
    EXPECT_EQ(s.Mode(), SessionMode::Saving);
    EXPECT_EQ(prompts.shown.filter("ERROR: " + MsgSaveSlow.arg("slow.csv")).size(), 1);
    Advance(10000);
    EXPECT_EQ(prompts.shown.filter("ERROR:").size(), 1) << "told once";

    gate.Open();
    s.SettleDiskWrites();
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
    EXPECT_TRUE(s.Store.DataSaved);
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_TRUE(prompts.shown.contains("NOTICE: slow.csv" + MsgCreatedSuffix));
}

}  // namespace
