// One flow at a time: "End" ends before it asks, a question holds off what
// it asks about, and nothing runs inside another flow's wait. The user here
// answers late (the questions are held while time goes on).
#include <QDir>

#include "data/CsvReader.h"
#include "session/StorageSensors.h"
#include "session/StringTable.h"

namespace {

// Takes the session's warnings instead of failing the test on them.
class CapturedWarnings {
public:
    CapturedWarnings() { previous_ = qInstallMessageHandler(&CapturedWarnings::Take); }
    ~CapturedWarnings() {
        qInstallMessageHandler(previous_);
        seen_.clear();
    }
    QStringList Seen() const { return seen_; }

private:
    static void Take(QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (type == QtWarningMsg && qstrcmp(context.category, "tq580.session") == 0) seen_ << message;
    }
    static inline QStringList seen_;
    QtMessageHandler previous_ = nullptr;
};

const QString Sensor1 = QStringLiteral("Tq580-123456-001");

class OneFlowAtATime : public StorageSessionTest {
protected:
    void SensorInRange(bool inRange) { simulator->Sensor(Sensor1)->SetInRange(inRange); }
    QString InData(const QString& name) const { return QDir(DataFolder()).filePath(name); }
    // The record file's rows.
    int32_t RowsIn(const QString& path) {
        SampleStore saved;
        return ReadRecordFile(saved, path).recordReplaced ? saved.SampleCount : -1;
    }
    // The user answers the one question open now.
    void Answer() {
        ASSERT_EQ(prompts.HeldCount(), 1);
        prompts.AnswerHeld();
        session->SettleDiskWrites();
    }
};

// "End" while the sensor is away: the search ends at the click. The sensor
// that comes back while the save dialog is open is left alone, the file
// holds the rows there were at the click, and the next Start finds it.
TEST_F(OneFlowAtATime, EndDuringADropEndsTheSearchBeforeTheSaveIsOffered) {
    AcquisitionSession& s = Start();
    StartMeasurementOn(Sensor1);
    Advance(10000);
    SensorInRange(false);
    Advance(3000);
    ASSERT_EQ(s.Mode(), SessionMode::ReconnectScan);

    prompts.holdAnswers = true;
    prompts.fileNames.push_back(InData("until-the-click.csv"));
    s.ConnectButtonClicked();
    EXPECT_EQ(s.Mode(), SessionMode::EndingMeasurement);
    const int32_t rowsAtTheClick = s.Store.SampleCount;
    SensorInRange(true);  // back under the open dialog
    s.MarkEvent(4);
    Advance(15000);
    EXPECT_EQ(s.Store.SampleCount, rowsAtTheClick);
    EXPECT_EQ(EventMarkCount(s.Store), 0);
    EXPECT_EQ(central->CommandsTo(Sensor1), QStringList{"ST1"}) << "no second start under the dialog";
    EXPECT_FALSE(simulator->Sensor(Sensor1)->Connected());

    Answer();
    EXPECT_EQ(RowsIn(InData("until-the-click.csv")), rowsAtTheClick);
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
    prompts.holdAnswers = false;
    StartMeasurementOn(Sensor1);
    EXPECT_TRUE(offered.contains(Sensor1));
    EXPECT_EQ(s.Mode(), SessionMode::Measuring);
}

// "End" while the new link comes up lets it go, and one that comes up later
// too; the next Start on that sensor measures.
TEST_F(OneFlowAtATime, EndWhileTheLinkComesUpLetsItGoForGood) {
    AcquisitionSession& s = Start();
    StartMeasurementOn(Sensor1);
    Advance(2000);
    SensorInRange(false);
    Advance(1000);
    SensorInRange(true);
    ASSERT_TRUE(AdvanceUntil([&] { return s.Mode() == SessionMode::ReconnectLink; }, 15000));

    prompts.holdAnswers = true;
    prompts.fileNames.push_back(QString());
    s.ConnectButtonClicked();
    Advance(10000);
    EXPECT_FALSE(simulator->Sensor(Sensor1)->Connected());
    EXPECT_FALSE(s.Link.DeviceLinkReady);
    Answer();
    EXPECT_EQ(s.Mode(), SessionMode::Idle);

    prompts.holdAnswers = false;
    prompts.answers.push_back(true);  // the record was not saved: discard it
    StartMeasurementOn(Sensor1);
    ASSERT_TRUE(AdvanceUntil([&] { return s.Mode() == SessionMode::Measuring; }, 3000)) << SessionModeName(s.Mode());
    Advance(1000);
    EXPECT_GT(s.Store.SampleCount, 5);
}

// A sensor check ends the same way: nothing is sought or taken after "End".
TEST_F(OneFlowAtATime, EndOfASensorCheckDuringADropEndsTheSearch) {
    AcquisitionSession& s = Start();
    StartMeasurementOn(Sensor1, 0, true);
    Advance(2000);
    SensorInRange(false);
    Advance(1000);
    ASSERT_EQ(s.Mode(), SessionMode::ReconnectScan);
    s.ConnectButtonClicked();
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
    SensorInRange(true);
    Advance(15000);
    EXPECT_EQ(central->CommandsTo(Sensor1), QStringList{"CK1"});
    EXPECT_FALSE(simulator->Sensor(Sensor1)->Connected());
}

// A mark that arrives while the save is offered, or while "Created." is
// shown, is no mark of the ended record: refused, not written to it.
TEST_F(OneFlowAtATime, AMarkAfterEndIsRefusedWhileTheSaveIsOfferedAndAfter) {
    AcquisitionSession& s = Start();
    StartMeasurementOn(Sensor1);
    Advance(3000);
    prompts.holdAnswers = true;
    prompts.fileNames.push_back(InData("ended.csv"));
    s.ConnectButtonClicked();
    EXPECT_EQ(s.TakeOutsideMark(3), "not measuring");
    Answer();
    ASSERT_TRUE(prompts.shown.contains("NOTICE: ended.csv" + MsgCreatedSuffix));
    EXPECT_EQ(s.TakeOutsideMark(5), "not measuring");
    EXPECT_EQ(EventMarkCount(s.Store), 0);
    EXPECT_TRUE(s.Store.DataSaved);
}

// From the Start click until the measurement runs, nothing replaces the
// record or leaves the page: the storage tab and Open are refused, and the
// connection dialog opens once, for this start.
TEST_F(OneFlowAtATime, TheStartHoldsOffTheStorageTabOpenAndTheExports) {
    AcquisitionSession& s = Start();
    s.Store.SampleCount = 10;  // a record on screen, saved
    ChooseInDialog(Sensor1);
    s.ConnectButtonClicked();
    ASSERT_EQ(s.Mode(), SessionMode::ScanningForConnection);
    EXPECT_FALSE(s.Controls.OpenEnabled);
    EXPECT_FALSE(s.Controls.StorageTabVisible);
    EXPECT_FALSE(s.ExportAllowed());
    EXPECT_FALSE(s.PageChanged(1));
    s.OpenClicked();
    s.ExportSnirfClicked();
    EXPECT_EQ(s.CurrentPage, 0);
    Advance(6000);
    EXPECT_EQ(prompts.shown, QStringList{"CONNECT"});
    EXPECT_EQ(s.Mode(), SessionMode::Measuring);
    Advance(2000);
    EXPECT_GT(s.Store.SampleCount, 10);
    EXPECT_EQ(s.Store.Samples[0].index, 0);
    EXPECT_TRUE(s.ExportAllowed()) << "the measurement runs: its record may be exported";
}

// Until the sensors are off after the event log, the page keeps its table:
// no page change, no upload; closing asks first.
TEST_F(OneFlowAtATime, TheOffPassHoldsTheStoragePage) {
    AcquisitionSession& s = StartOnStoragePage();
    prompts.answers.push_back(true);
    s.StartButtonClicked();
    Advance(12000);
    ASSERT_TRUE(simulator->Sensor(Waiting)->Logging());
    s.StartButtonClicked();  // End: the off pass is due
    EXPECT_FALSE(s.PageChanged(0));
    EXPECT_FALSE(s.Controls.StorageControlsEnabled);  // Upload among them
    // A sensor that waits with a log, as one that is switched off may say.
    ADV_DATA_TYPE& entry = s.Devices[RowOf(Waiting) - 1];
    entry.meas = false;
    entry.count = 100;
    prompts.shown.clear();
    s.UploadButtonClicked(RowOf(Waiting));
    EXPECT_EQ(s.Mode(), SessionMode::StorageCycle);
    prompts.answers.push_back(false);
    EXPECT_FALSE(s.MayClose());
    EXPECT_EQ(prompts.shown, QStringList{"ASK: " + MsgExitBeforeRemoteOff});
    ASSERT_TRUE(AdvanceUntil([&] { return s.Controls.StorageMessage.isEmpty(); }, 15000));
    for (const QString& name : {Waiting, WaitingEmpty, Running})
        EXPECT_EQ(central->CommandsTo(name).last(), "@SDN") << name.toStdString();
    EXPECT_TRUE(s.PageChanged(0));
}

// An upload waiting for its scan or running holds the exports off.
TEST_F(OneFlowAtATime, NoExportWhileAnUploadWaitsOrRuns) {
    AcquisitionSession& s = StartOnStoragePage(2000);
    s.Store.SampleCount = 10;  // a record on screen
    prompts.fileNames.push_back(InData("upload.csv"));
    s.UploadButtonClicked(RowOf(Waiting));
    ASSERT_EQ(s.Mode(), SessionMode::WaitingForUploadScan);
    s.ExportSnirfClicked();
    s.ExportBidsClicked();
    ASSERT_TRUE(AdvanceUntil([&] { return s.Mode() == SessionMode::Uploading; }, 15000));
    s.ExportSnirfClicked();
    EXPECT_TRUE(prompts.shown.filter("SNIRF").isEmpty());
    EXPECT_TRUE(prompts.shown.filter("BIDS").isEmpty());
}

// The user takes their time with the upload's save: the panel waits, the
// sensor keeps its log until the file is written.
TEST_F(OneFlowAtATime, TheUploadsSaveWaitsForItsAnswer) {
    AcquisitionSession& s = StartOnStoragePage(800);
    prompts.holdAnswers = true;
    prompts.fileNames.push_back(InData("late.csv"));
    s.UploadButtonClicked(RowOf(Waiting));
    ASSERT_TRUE(AdvanceUntil([&] { return prompts.HeldCount() == 1; }, 60000));
    Advance(20000);
    EXPECT_EQ(s.Mode(), SessionMode::UploadDone);
    EXPECT_FALSE(s.UploadPanel.OkEnabled);
    EXPECT_EQ(central->CommandsTo(Waiting), QStringList{"GS4"});
    Answer();
    EXPECT_EQ(central->CommandsTo(Waiting), QStringList({"GS4", "@CLR"}));
    EXPECT_TRUE(s.UploadPanel.OkEnabled);
    EXPECT_EQ(RowsIn(InData("late.csv")), 800);
}

// A question asked while another is open waits for it; clicks are refused
// meanwhile.
TEST_F(OneFlowAtATime, AQuestionWaitsForTheOneOpenAndClicksAreRefused) {
    AcquisitionSession& s = Start();
    StartMeasurementOn(Sensor1);
    Advance(2000);
    prompts.holdAnswers = true;
    prompts.fileNames.push_back(QString());
    s.ConnectButtonClicked();  // End: the save dialog stays open
    ASSERT_TRUE(s.QuestionOpen());
    s.ConnectButtonClicked();
    s.SaveClicked();
    s.OpenClicked();
    EXPECT_FALSE(s.PageChanged(1));
    EXPECT_EQ(prompts.HeldCount(), 1);
    EXPECT_EQ(prompts.shown, (QStringList{"CONNECT", "SAVE"}));
    Answer();
    EXPECT_FALSE(s.QuestionOpen());
    EXPECT_EQ(s.Mode(), SessionMode::Idle);
}

// The check itself: an input handled inside another (as a nested event
// loop would deliver it) is logged as re-entered.
TEST_F(OneFlowAtATime, AnInputHandledInsideAnotherIsLoggedAsReentered) {
    AcquisitionSession& s = Start();
    CapturedWarnings warnings;
    view.onRender = [&] { s.MarkEvent(1); };
    ChooseInDialog(Sensor1);
    s.ConnectButtonClicked();
    view.onRender = nullptr;
    ASSERT_FALSE(warnings.Seen().isEmpty());
    EXPECT_EQ(warnings.Seen().first(), "re-entered: a key's mark was handled inside the Start/End click");
}

}  // namespace
