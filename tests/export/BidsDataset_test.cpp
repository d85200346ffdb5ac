#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextStream>
#include <memory>

#include "data/CsvTestRecords.h"
#include "data/CsvWriter.h"
#include "data/SampleStore.h"
#include "export/BidsCommand.h"
#include "export/BidsDataset.h"
#include "export/BidsEvents.h"

namespace {

const BidsSoftware Software{QStringLiteral("Tq580"), QStringLiteral("9.8.7")};

struct LabelCase {
    const char* subject;
    const char* session;
    const char* task;
    bool accepted;
};

class BidsLabels : public ::testing::TestWithParam<LabelCase> {};

TEST_P(BidsLabels, OnlyLettersAndDigits) {
    const LabelCase& c = GetParam();
    const BidsTarget target{QStringLiteral("/data/study"), c.subject, c.session, c.task, 0};
    const QString problem = BidsTargetProblem(target);
    EXPECT_EQ(problem.isEmpty(), c.accepted) << problem.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cases, BidsLabels,
                         ::testing::Values(LabelCase{"01", "", "rest", true}, LabelCase{"P7", "pre", "nback2", true},
                                           LabelCase{"", "", "rest", false}, LabelCase{"P-01", "", "rest", false},
                                           LabelCase{"P_01", "", "rest", false}, LabelCase{"01", "a b", "rest", false},
                                           LabelCase{"01", "", "", false}, LabelCase{"01", "", "rest/2", false},
                                           LabelCase{"J\u00fcrgen", "", "rest", false}));

// An empty field of the dialog is said to be missing, not to hold wrong characters.
TEST(BidsLabels, AMissingLabelIsNamedAsMissing) {
    EXPECT_EQ(BidsTargetProblem({QStringLiteral("/data/study"), "", "", "rest", 0}), "no subject label is given");
    EXPECT_EQ(BidsTargetProblem({QStringLiteral("/data/study"), "01", "", "", 0}), "no task label is given");
}

TEST(BidsNames, RunFilesWithAndWithoutASession) {
    const BidsRunNames plain = NamesOfRun({"/d", "01", "", "rest", 0}, 3);
    EXPECT_EQ(plain.dataFolder, "sub-01/nirs");
    EXPECT_EQ(plain.runStem, "sub-01_task-rest_run-3");
    EXPECT_EQ(plain.subjectStem, "sub-01");
    EXPECT_EQ(plain.scansFile, "sub-01/sub-01_scans.tsv");
    const BidsRunNames session = NamesOfRun({"/d", "01", "pre", "rest", 0}, 1);
    EXPECT_EQ(session.dataFolder, "sub-01/ses-pre/nirs");
    EXPECT_EQ(session.runStem, "sub-01_ses-pre_task-rest_run-1");
    EXPECT_EQ(session.scansFile, "sub-01/ses-pre/sub-01_ses-pre_scans.tsv");
}

// Marks of the long record: event 1 from 120 s to 240 s, a
// value-initialization point at 0 and single rows without data every 99.7 s.
TEST(BidsEvents, MarksInitializationPointsAndGapsInOnsetOrder) {
    const auto store = std::make_unique<SampleStore>();
    BuildLongRecord(*store, 3000);
    const std::vector<BidsEvent> expected = {
        {0, 0, "Value-Initialization"}, {0, 100, "BAD_ACQ_SKIP"},    {99700, 100, "BAD_ACQ_SKIP"},
        {120000, 120000, "1"},          {199400, 100, "BAD_ACQ_SKIP"}, {299100, 100, "BAD_ACQ_SKIP"}};
    EXPECT_EQ(BidsEvents(*store), expected);
    EXPECT_TRUE(EventsTable(*store).startsWith("onset\tduration\ttrial_type\n0.000\t0.000\tValue-Initialization\n"
                                               "0.000\t0.100\tBAD_ACQ_SKIP\n99.700\t0.100\tBAD_ACQ_SKIP\n"
                                               "120.000\t120.000\t1\n"));
}

class BidsDatasetTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    std::unique_ptr<SampleStore> store = std::make_unique<SampleStore>();
    QString dataset = folder.filePath(QStringLiteral("study"));

    void SetUp() override { BuildLongRecord(*store, 600); }
    BidsTarget Target(const char* subject, const char* session = "") const {
        return {dataset, subject, session, QStringLiteral("rest"), 0};
    }
    QStringList Tree() const {
        QStringList files;
        QDirIterator it(folder.path(), QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) files << QDir(folder.path()).relativeFilePath(it.next());
        files.sort();
        return files;
    }
    QByteArray Read(const QString& relative) const { return FileBytes(QDir(dataset).filePath(relative)); }
};

TEST_F(BidsDatasetTest, ANewDatasetGetsEveryFileAndTheNextRunsExtendIt) {
    const BidsRunOutcome first = WriteBidsRun(*store, Target("01"), NextBidsRun(Target("01")), Software);
    ASSERT_TRUE(first.written) << first.reason.toStdString();
    EXPECT_EQ(first.runStem, "sub-01_task-rest_run-1");
    EXPECT_EQ(Tree(), (QStringList{"study", "study/README", "study/dataset_description.json",
                                   "study/participants.json", "study/participants.tsv", "study/sub-01",
                                   "study/sub-01/nirs", "study/sub-01/nirs/sub-01_coordsystem.json",
                                   "study/sub-01/nirs/sub-01_optodes.tsv",
                                   "study/sub-01/nirs/sub-01_task-rest_run-1_channels.tsv",
                                   "study/sub-01/nirs/sub-01_task-rest_run-1_events.json",
                                   "study/sub-01/nirs/sub-01_task-rest_run-1_events.tsv",
                                   "study/sub-01/nirs/sub-01_task-rest_run-1_nirs.json",
                                   "study/sub-01/nirs/sub-01_task-rest_run-1_nirs.snirf",
                                   "study/sub-01/sub-01_scans.tsv"}));
    const QJsonObject description = QJsonDocument::fromJson(Read("dataset_description.json")).object();
    EXPECT_EQ(description["Name"].toString(), "study");
    EXPECT_EQ(description["DatasetType"].toString(), "raw");
    EXPECT_EQ(description["GeneratedBy"][0]["Version"].toString(), "9.8.7");
    const QJsonObject sidecar = QJsonDocument::fromJson(Read("sub-01/nirs/sub-01_task-rest_run-1_nirs.json")).object();
    EXPECT_EQ(sidecar["TaskName"].toString(), "rest");
    EXPECT_EQ(sidecar["SamplingFrequency"].toDouble(), 10.0);
    EXPECT_EQ(sidecar["RecordingDuration"].toDouble(), 60.0);
    EXPECT_EQ(sidecar["NIRSChannelCount"].toInt(), 4);
    EXPECT_EQ(sidecar["DeviceSerialNumber"].toString(), "Tq580-000001-001");
    EXPECT_EQ(sidecar["ManufacturersModelName"].toString(), "Tq580");
    EXPECT_EQ(sidecar["SoftwareVersions"].toString(), "Tq580 9.8.7");
    EXPECT_EQ(Read("sub-01/sub-01_scans.tsv"),
              "filename\tacq_time\nnirs/sub-01_task-rest_run-1_nirs.snirf\t2026-12-09T08:00:00\n");

    // A user's own description stays; the subject is listed once; runs go on.
    ASSERT_TRUE(WriteFileBytes(QDir(dataset).filePath("dataset_description.json"), "{\"Name\": \"Mine\"}"));
    store->RecordStartTime += 1.0 / 86400 / 1000 * 250;  // 250 ms later
    ASSERT_TRUE(WriteBidsRun(*store, Target("01"), NextBidsRun(Target("01")), Software).written);
    ASSERT_TRUE(WriteBidsRun(*store, Target("02", "pre"), NextBidsRun(Target("02", "pre")), Software).written);
    EXPECT_EQ(Read("dataset_description.json"), "{\"Name\": \"Mine\"}");
    EXPECT_EQ(Read("participants.tsv"), "participant_id\nsub-01\nsub-02\n");
    EXPECT_EQ(Read("sub-01/sub-01_scans.tsv"),
              "filename\tacq_time\nnirs/sub-01_task-rest_run-1_nirs.snirf\t2026-12-09T08:00:00\n"
              "nirs/sub-01_task-rest_run-2_nirs.snirf\t2026-12-09T08:00:00.250\n");
    EXPECT_TRUE(QFile::exists(QDir(dataset).filePath("sub-02/ses-pre/nirs/sub-02_ses-pre_task-rest_run-1_nirs.snirf")));
    EXPECT_EQ(NextBidsRun(Target("01")), 3);
    EXPECT_EQ(NextBidsRun(Target("02")), 1) << "sub-02 has runs in a session only";
}

TEST_F(BidsDatasetTest, AParticipantsTableWithMoreColumnsGetsNotKnownInThem) {
    QDir().mkpath(dataset);
    ASSERT_TRUE(WriteFileBytes(QDir(dataset).filePath("participants.tsv"), "participant_id\tage\nsub-07\t31\n"));
    ASSERT_TRUE(WriteBidsRun(*store, Target("08"), 1, Software).written);
    EXPECT_EQ(Read("participants.tsv"), "participant_id\tage\nsub-07\t31\nsub-08\tn/a\n");
}

// Tables other tools wrote: each value goes under its own column, whatever
// their order, and a column the table lacks is added.
TEST_F(BidsDatasetTest, RowsFollowEachTablesOwnColumns) {
    QDir().mkpath(QDir(dataset).filePath("sub-08"));
    ASSERT_TRUE(WriteFileBytes(QDir(dataset).filePath("participants.tsv"), "age\tparticipant_id\r\n31\tsub-07\r\n"));
    ASSERT_TRUE(WriteFileBytes(QDir(dataset).filePath("sub-08/sub-08_scans.tsv"),
                               "acq_time\tfilename\n2026-01-01T10:00:00\tnirs/other_nirs.snirf\n"));
    ASSERT_TRUE(WriteBidsRun(*store, Target("08"), 0, Software).written);
    EXPECT_EQ(Read("participants.tsv"), "age\tparticipant_id\r\n31\tsub-07\r\nn/a\tsub-08\r\n");
    EXPECT_EQ(Read("sub-08/sub-08_scans.tsv"), "acq_time\tfilename\n2026-01-01T10:00:00\tnirs/other_nirs.snirf\n"
                                               "2026-12-09T08:00:00\tnirs/sub-08_task-rest_run-1_nirs.snirf\n");
    // The subject is found in its column, wherever that is.
    ASSERT_TRUE(WriteBidsRun(*store, Target("08"), 0, Software).written);
    EXPECT_EQ(Read("participants.tsv").count("sub-08"), 1);

    ASSERT_TRUE(WriteFileBytes(QDir(dataset).filePath("sub-08/sub-08_scans.tsv"), "filename\nnirs/a_nirs.snirf\n"));
    ASSERT_TRUE(WriteBidsRun(*store, Target("08"), 0, Software).written);
    EXPECT_EQ(Read("sub-08/sub-08_scans.tsv"),
              "filename\tacq_time\nnirs/a_nirs.snirf\tn/a\nnirs/sub-08_task-rest_run-3_nirs.snirf\t2026-12-09T08:00:00\n");
}

// Run numbers are numbers: "run-01" of another tool is run 1, and no run
// follows the largest one.
TEST_F(BidsDatasetTest, RunsAreComparedAsNumbersAndMustFit) {
    const QString data = QDir(dataset).filePath("sub-01/nirs");
    QDir().mkpath(data);
    ASSERT_TRUE(WriteFileBytes(QDir(data).filePath("sub-01_task-rest_run-01_nirs.snirf"), "another tool's"));
    const BidsRunOutcome again = WriteBidsRun(*store, Target("01"), 1, Software);
    EXPECT_FALSE(again.written);
    EXPECT_TRUE(again.reason.startsWith("run 1 exists already")) << again.reason.toStdString();
    EXPECT_TRUE(again.reason.contains("run-01_nirs.snirf")) << again.reason.toStdString();
    EXPECT_EQ(NextBidsRun(Target("01")), 2);
    EXPECT_EQ(WriteBidsRun(*store, Target("01"), 0, Software).runStem, "sub-01_task-rest_run-2");

    ASSERT_TRUE(WriteBidsRun(*store, Target("01"), MaxBidsRun, Software).written);
    EXPECT_EQ(NextBidsRun(Target("01")), 0);
    const QStringList before = Tree();
    const BidsRunOutcome past = WriteBidsRun(*store, Target("01"), 0, Software);
    EXPECT_FALSE(past.written);
    EXPECT_TRUE(past.reason.contains("2147483647")) << past.reason.toStdString();
    EXPECT_EQ(Tree(), before);
    // A number no int holds, written by hand, is past the largest too.
    ASSERT_TRUE(WriteFileBytes(QDir(data).filePath("sub-01_task-nback_run-00099999999999_events.tsv"), "x"));
    EXPECT_EQ(NextBidsRun({dataset, "01", "", "nback", 0}), 0);
}

TEST_F(BidsDatasetTest, AnExistingRunIsRefusedAndKept) {
    ASSERT_TRUE(WriteBidsRun(*store, Target("01"), 1, Software).written);
    const QStringList before = Tree();
    const QByteArray scans = Read("sub-01/sub-01_scans.tsv");
    store->Samples[5].ch[0].oxhb = 1;
    const BidsRunOutcome again = WriteBidsRun(*store, Target("01"), 1, Software);
    EXPECT_FALSE(again.written);
    EXPECT_TRUE(again.reason.startsWith("run 1 exists already")) << again.reason.toStdString();
    EXPECT_EQ(Tree(), before);
    EXPECT_EQ(Read("sub-01/sub-01_scans.tsv"), scans);

    // Any file of the run counts, even one left on its own.
    QFile::remove(QDir(dataset).filePath("sub-01/nirs/sub-01_task-rest_run-1_nirs.snirf"));
    EXPECT_FALSE(WriteBidsRun(*store, Target("01"), 1, Software).written);
}

// The SNIRF file is the last and largest file of a run: a disk that fills
// up there leaves neither the run's other files nor a changed table.
TEST_F(BidsDatasetTest, AFailureLeavesNothingOfTheRun) {
    ASSERT_TRUE(WriteBidsRun(*store, Target("01"), 1, Software).written);
    const QStringList before = Tree();
    const QByteArray scans = Read("sub-01/sub-01_scans.tsv");
    {
        const FileSizeLimit limit(20000);
        ASSERT_TRUE(limit.active());
        const BidsRunOutcome outcome = WriteBidsRun(*store, Target("01"), 2, Software);
        EXPECT_FALSE(outcome.written);
        EXPECT_TRUE(outcome.reason.contains("_run-2_nirs.snirf: File too large")) << outcome.reason.toStdString();
        const BidsRunOutcome newSubject = WriteBidsRun(*store, Target("02", "pre"), 1, Software);
        EXPECT_FALSE(newSubject.written);
    }
    EXPECT_EQ(Tree(), before);
    EXPECT_EQ(Read("sub-01/sub-01_scans.tsv"), scans);

    // A dataset folder that cannot be made: nothing at all.
    ASSERT_TRUE(WriteFileBytes(folder.filePath("file"), "not a folder"));
    const BidsTarget blocked{folder.filePath("file/study"), "01", "", "rest", 0};
    const BidsRunOutcome outcome = WriteBidsRun(*store, blocked, 1, Software);
    EXPECT_FALSE(outcome.written);
    EXPECT_TRUE(outcome.reason.contains("is not a folder")) << outcome.reason.toStdString();
}

class BidsCommandTest : public BidsDatasetTest {
protected:
    QString out, err;
    int Run(const QStringList& inputs, BidsTarget target) {
        QTextStream outStream(&out), errStream(&err);
        return ExportBidsFiles(inputs, target, Software, outStream, errStream);
    }
    QString Record(const char* name) {
        const QString path = folder.filePath(name);
        EXPECT_EQ(WriteRecordFile(*store, path).result, CsvWriteResult::Written);
        return path;
    }
};

// A damaged record among good ones: the others become runs 1 and 2 in the
// order given, the damaged one is named and leaves nothing.
TEST_F(BidsCommandTest, ADamagedRecordAmongGoodOnesIsNamedAndTheOthersAreWritten) {
    const QString first = Record("first.csv");
    const QString damaged = folder.filePath("damaged.csv");
    QList<QByteArray> lines = FileBytes(first).split('\n');
    lines[3] = ",,,,,,,CH1,,,,,CH2,,,,,CH3\r";  // a third channel
    ASSERT_TRUE(WriteFileBytes(damaged, lines.join('\n')));
    const QString last = Record("last.csv");
    EXPECT_EQ(Run({first, damaged, last, folder.filePath("missing.csv")}, Target("01")), 1);
    EXPECT_TRUE(err.startsWith(QDir::toNativeSeparators(damaged) + ": Data format error.")) << err.toStdString();
    EXPECT_TRUE(err.contains("missing.csv: no such file")) << err.toStdString();
    EXPECT_EQ(out.count("->"), 2);
    EXPECT_TRUE(out.contains("sub-01_task-rest_run-2_nirs.snirf")) << out.toStdString();
    EXPECT_EQ(NextBidsRun(Target("01")), 3);

    // --run 2 again: refused; --run 5: taken as given.
    out.clear();
    err.clear();
    BidsTarget fifth = Target("01");
    fifth.firstRun = 2;
    EXPECT_EQ(Run({first}, fifth), 1);
    EXPECT_TRUE(err.contains("run 2 exists already")) << err.toStdString();
    fifth.firstRun = 5;
    EXPECT_EQ(Run({first}, fifth), 0) << err.toStdString();
    EXPECT_EQ(NextBidsRun(Target("01")), 6);

    // From the largest run on, the next record has no number left.
    err.clear();
    BidsTarget fromTheLargest = Target("01");
    fromTheLargest.firstRun = MaxBidsRun;
    EXPECT_EQ(Run({first, first}, fromTheLargest), 1);
    EXPECT_TRUE(err.contains("no run number follows 2147483647")) << err.toStdString();
    EXPECT_EQ(NextBidsRun(Target("01")), 0);
}

}  // namespace
