#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "journal/PendingMarks.h"

namespace {

class PendingMarksRecovery : public ::testing::Test {
protected:
    QTemporaryDir folder;
    QList<PendingMark> appended;
    int refuseAfter = -1;  // the event log file fails after this many marks; -1: never

    QList<RecoveredMarks> Recover() {
        return RecoverPendingMarks(folder.path(), [this](const PendingMark& mark, QString* error) {
            if (refuseAfter >= 0 && appended.size() >= refuseAfter) {
                *error = QStringLiteral("disk full");
                return false;
            }
            appended << mark;
            return true;
        });
    }
    QStringList Files() const {
        return QDir(folder.path()).entryList({PendingMarksNameFilter()}, QDir::Files | QDir::Hidden);
    }
};

const QList<PendingMark> Marks{{46000.25, 1}, {46000.5, -1}, {46000.75, 2}, {46001.0, -2}};

// A crash leaves the file as it was written, maybe with half an entry at
// its end; what was noted as taken is not written twice.
TEST_F(PendingMarksRecovery, WritesWhatWasNotTakenInOrderPastATornTail) {
    QString path;
    {
        PendingMarksFile file(folder.path());
        ASSERT_TRUE(file.Add(Marks.mid(0, 3), nullptr));
        ASSERT_TRUE(file.SetTaken(1, nullptr));
        ASSERT_TRUE(file.Add(Marks.mid(3), nullptr));
        path = file.Path();
    }
    QFile torn(path);
    ASSERT_TRUE(torn.open(QIODevice::Append));
    torn.write(QByteArray(60, '\x05'));
    torn.close();

    const QList<RecoveredMarks> results = Recover();
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0].written, 3);
    EXPECT_EQ(results[0].left, 0);
    EXPECT_EQ(appended, Marks.mid(1));
    EXPECT_TRUE(Files().isEmpty());
}

// The event log file fails part-way: the file stays and knows how far it got.
TEST_F(PendingMarksRecovery, AFailurePartWayKeepsTheRestForTheNextStart) {
    {
        PendingMarksFile file(folder.path());
        ASSERT_TRUE(file.Add(Marks, nullptr));
    }
    refuseAfter = 2;
    QList<RecoveredMarks> results = Recover();
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0].written, 2);
    EXPECT_EQ(results[0].left, 2);
    EXPECT_EQ(results[0].reason, QStringLiteral("disk full"));
    EXPECT_EQ(Files().size(), 1);

    refuseAfter = -1;
    results = Recover();
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0].written, 2);
    EXPECT_EQ(appended, Marks);
    EXPECT_TRUE(Files().isEmpty());
}

// A running program's file is its own; an empty one is a start that died.
TEST_F(PendingMarksRecovery, LeavesAHeldFileAloneAndDropsAnEmptyOne) {
    PendingMarksFile held(folder.path());
    ASSERT_TRUE(held.Add(Marks.mid(0, 1), nullptr));
    QFile empty(QDir(folder.path()).filePath(QStringLiteral(".tq580-20261210-000000000-1.marks")));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();

    const QList<RecoveredMarks> results = Recover();
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0].written, 0);
    EXPECT_TRUE(results[0].reason.isEmpty());
    EXPECT_TRUE(appended.isEmpty());
    EXPECT_EQ(Files(), QStringList{QFileInfo(held.Path()).fileName()});
}

}  // namespace
