#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "data/RecordFileNames.h"
#include "data/OleDate.h"

namespace {

TEST(RecordFileNames, NameAndMeasurementStartToTheSecond) {
    const double start = *OleDateFromParts({2026, 3, 7, 9, 5, 4, 999});
    EXPECT_EQ(RecordFileBaseName(QStringLiteral("Tq580-123456-001"), start), "Tq580-123456-001_20260307-090504");
    // A name from the radio never leads out of the folder.
    EXPECT_EQ(RecordFileBaseName(QStringLiteral("Tq580-../x"), start), "Tq580-.._x_20260307-090504");
}

// Whatever the folder holds under a name, a file, a folder or a link to a
// file not there, it is never the file taken, and stays as it was. A name
// whose SNIRF sibling is there is taken when the SNIRF file is to follow.
TEST(RecordFileNames, TheFirstFreeNameIsTakenAndNothingReplaced) {
    struct Case {
        QStringList files;
        QStringList folders;
        QStringList danglingLinks;
        const char* taken;
        QStringList alsoFree = {};
    };
    const QStringList snirf{QStringLiteral(".snirf")};
    const Case cases[] = {
        {{}, {}, {}, "r.csv"},
        {{"r.csv"}, {}, {}, "r_2.csv"},
        {{"r.csv", "r_2.csv"}, {}, {}, "r_3.csv"},
        {{"r_2.csv"}, {}, {}, "r.csv"},
        {{}, {"r.csv"}, {}, "r_2.csv"},
        {{"r.csv"}, {}, {"r_2.csv"}, "r_3.csv"},
        {{"r.snirf"}, {}, {}, "r.csv"},
        {{"r.snirf"}, {}, {}, "r_2.csv", snirf},
        {{"r.csv", "r_2.snirf"}, {}, {}, "r_3.csv", snirf},
        {{}, {}, {"r.snirf"}, "r_2.csv", snirf},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.taken << " of case " << (&c - cases));
        QTemporaryDir folder;
        const QDir dir(folder.path());
        for (const QString& name : c.files) {
            QFile file(dir.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("kept");
        }
        for (const QString& name : c.folders) ASSERT_TRUE(dir.mkdir(name));
        for (const QString& name : c.danglingLinks)
            ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("elsewhere.csv")), dir.filePath(name)));

        QString error;
        const QString path = ClaimNewRecordFile(folder.path(), QStringLiteral("r"), &error, c.alsoFree);
        EXPECT_EQ(path, dir.filePath(QLatin1String(c.taken))) << error.toStdString();
        EXPECT_EQ(QFileInfo(path).size(), 0);
        for (const QString& name : c.files) {
            QFile file(dir.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(file.readAll(), "kept") << name.toStdString();
        }
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("elsewhere.csv")))) << "a link was followed";
    }
}

TEST(RecordFileNames, AFolderThatCannotTakeAFileIsToldWithTheReason) {
    QTemporaryDir folder;
    QString error;
    EXPECT_TRUE(ClaimNewRecordFile(folder.filePath(QStringLiteral("missing")), QStringLiteral("r"), &error).isEmpty());
    EXPECT_TRUE(error.contains(QLatin1String("missing/r.csv"))) << error.toStdString();
}

}  // namespace
