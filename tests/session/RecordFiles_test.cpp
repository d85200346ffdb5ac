#include "data/Sample.h"
#include "session/SimulatedSession.h"
#include "session/StringTable.h"
#include "storage/EventLog.h"

namespace {

using RecordFiles = SimulatedSessionTest;

TEST_F(RecordFiles, MergePutsLoggedMarksIntoTheRecord) {
    AcquisitionSession& s = Start();
    s.Store.SampleCount = 3600;
    s.Store.RecordRateIndex = 4;
    s.Store.RecordStartTime = *OleDateFromParts({2026, 12, 10, 10, 0, 0});
    s.Store.RecordEndTime = *OleDateFromParts({2026, 12, 10, 10, 59, 59});
    s.Store.DataSaved = true;
    ASSERT_TRUE(AppendEventLog(EventLogPath(), *OleDateFromParts({2026, 12, 10, 10, 15, 30, 400}), 2));
    ASSERT_TRUE(AppendEventLog(EventLogPath(), *OleDateFromParts({2026, 12, 10, 10, 20, 0}), -2));

    prompts.answers.push_back(false);
    s.MergeClicked();
    EXPECT_EQ(prompts.shown, QStringList{"ASK: " + MsgMergeQuestion});
    EXPECT_EQ(EventMarkCount(s.Store), 0);
    EXPECT_TRUE(s.Store.DataSaved);

    prompts.answers.push_back(true);
    s.MergeClicked();
    EXPECT_TRUE(prompts.shown.contains("NOTICE: 2 event information has been merged."));
    ASSERT_EQ(EventMarkCount(s.Store), 2);
    EXPECT_EQ(s.Store.EventMarks[0].sample, 930);
    EXPECT_EQ(s.Store.EventMarks[1].sample, 1200);
    EXPECT_FALSE(s.Store.DataSaved);
    EXPECT_TRUE(s.Controls.SaveEnabled);
}

TEST_F(RecordFiles, MergeWithoutARecordOrAnEventLogAsksNothing) {
    AcquisitionSession& s = Start();
    ASSERT_TRUE(AppendEventLog(EventLogPath(), clock->Now(), 2));
    s.MergeClicked();  // no record
    s.Store.SampleCount = 10;
    s.EventLogFileName = folder.filePath("none.evl");
    s.MergeClicked();  // no event log
    EXPECT_TRUE(prompts.shown.isEmpty());
    EXPECT_EQ(EventMarkCount(s.Store), 0);
}

// What closing asks, from the measurement and the record's state.
struct CloseCase {
    const char* name;
    bool measuring;
    bool saved;
    std::deque<bool> answers;
    bool mayClose;
    QStringList shown;
    bool savedAfter;
};

const QString RefusedWhileMeasuring = "NOTICE: " + MsgDisconnectToTerminate;
const QString AskExit = "ASK: " + MsgExitWithoutSaving;
const QString Reminder = "NOTICE: " + MsgTurnOffDevice;

class Closing : public SimulatedSessionTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(Closing, AsksWhatMustBeAsked) {
    const CloseCase& closeCase = GetParam();
    AcquisitionSession& s = Start();
    s.ConnectButtonTag = closeCase.measuring ? 1 : 0;
    s.Store.DataSaved = closeCase.saved;
    prompts.answers = closeCase.answers;
    EXPECT_EQ(s.MayClose(), closeCase.mayClose);
    EXPECT_EQ(prompts.shown, closeCase.shown);
    EXPECT_EQ(s.Store.DataSaved, closeCase.savedAfter);
}

INSTANTIATE_TEST_SUITE_P(
    States, Closing,
    ::testing::Values(CloseCase{"MeasuringWithSavedData", true, true, {}, false, {RefusedWhileMeasuring}, true},
                      CloseCase{"MeasuringWithUnsavedData", true, false, {}, false, {RefusedWhileMeasuring}, false},
                      CloseCase{"UnsavedAndNo", false, false, {false}, false, {AskExit}, false},
                      CloseCase{"UnsavedAndYes", false, false, {true}, true, {AskExit, Reminder}, true},
                      CloseCase{"NothingUnsaved", false, true, {}, true, {Reminder}, true}),
    [](const ::testing::TestParamInfo<CloseCase>& info) { return std::string(info.param.name); });

}  // namespace
