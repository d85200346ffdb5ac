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

// While the save writes, a command that would change the record does
// nothing, and its menu items are off until the save ends.
TEST_F(RecordFiles, NothingChangesTheRecordWhileItIsSaved) {
    AcquisitionSession& s = Start();
    ChooseInDialog(QStringLiteral("Tq580-123456-001"));
    s.ConnectButtonClicked();
    Advance(8000);
    ASSERT_EQ(s.Mode(), SessionMode::Measuring);
    ASSERT_TRUE(AppendEventLog(EventLogPath(), clock->Now(), 5));
    s.MarkEvent(2);
    Advance(500);
    const int marks = EventMarkCount(s.Store);
    ASSERT_EQ(marks, 1);

    prompts.shown.clear();
    prompts.fileNames.push_back(folder.filePath("during-save.csv"));
    s.ConnectButtonClicked();  // End: the save offer
    ASSERT_EQ(s.Mode(), SessionMode::Saving);
    const ControlStates duringSave = s.Controls;
    s.MergeClicked();
    s.ClearInitPointsClicked();
    s.View.CursorIndex = s.Store.SampleCount / 2;
    s.ValueInitializationClicked();
    s.SettleDiskWrites();
    EXPECT_FALSE(duringSave.EditEnabled);
    EXPECT_FALSE(duringSave.ClearInitPointsEnabled);
    EXPECT_FALSE(duringSave.ResetEnabled);
    EXPECT_FALSE(duringSave.OpenEnabled);
    EXPECT_EQ(prompts.shown, (QStringList{"SAVE", "NOTICE: during-save.csv Created."}));
    EXPECT_EQ(EventMarkCount(s.Store), marks);
    EXPECT_TRUE(s.Store.DataSaved);
    EXPECT_TRUE(s.Controls.EditEnabled) << "the Edit menu comes back after the save";
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
    bool uploading = false;  // an upload runs
    bool logging = false;    // the storage page's event log runs
};

const QString RefusedWhileMeasuring = "NOTICE: " + MsgDisconnectToTerminate;
const QString AskExit = "ASK: " + MsgExitWithoutSaving;
const QString Reminder = "NOTICE: " + MsgTurnOffDevice;
const QString AskDuringUpload = "ASK: " + MsgExitDuringUpload;
const QString AskDuringEventLog = "ASK: " + MsgExitDuringEventLog;

class Closing : public SimulatedSessionTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(Closing, AsksWhatMustBeAsked) {
    const CloseCase& closeCase = GetParam();
    AcquisitionSession& s = Start();
    if (closeCase.measuring) s.SetActivityForTest(SessionMode::Measuring);
    if (closeCase.uploading) s.SetActivityForTest(SessionMode::Uploading);
    if (closeCase.logging) s.SetActivityForTest(SessionMode::EventLog);
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
                      CloseCase{"NothingUnsaved", false, true, {}, true, {Reminder}, true},
                      CloseCase{"UploadingAndNo", false, true, {false}, false, {AskDuringUpload}, true, true},
                      CloseCase{"UploadingAndYes", false, true, {true}, true, {AskDuringUpload, Reminder}, true, true},
                      CloseCase{"EventLogAndNo", false, true, {false}, false, {AskDuringEventLog}, true, false, true},
                      CloseCase{"EventLogAndYesThenUnsaved", false, false, {true, true}, true,
                                {AskDuringEventLog, AskExit, Reminder}, true, false, true}),
    [](const ::testing::TestParamInfo<CloseCase>& info) { return std::string(info.param.name); });

}  // namespace
