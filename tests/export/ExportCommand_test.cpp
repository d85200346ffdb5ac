#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <functional>

#include "data/CsvTestRecords.h"
#include "data/SampleStore.h"
#include "export/ExportCommand.h"
#include "export/SnirfWriter.h"

namespace {

class ExportCommandTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    QString out, err;

    QString Copy(const QString& fixture) {
        const QString path = folder.filePath(fixture);
        QFile::copy(FixturePath(fixture), path);
        return path;
    }
    int Run(const QStringList& inputs, const QString& output = {}, bool overwrite = false) {
        QTextStream outStream(&out), errStream(&err);
        return ExportSnirfFiles(inputs, {output, QString(), overwrite}, outStream, errStream);
    }
    QStringList Files() const { return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
};

TEST(SnirfPath, TakesThePlaceOfTheExtension) {
    EXPECT_EQ(SnirfPathFor(QStringLiteral("day1.csv")), QStringLiteral("day1.snirf"));
    EXPECT_EQ(SnirfPathFor(QStringLiteral("data/day1.v2.csv")), QStringLiteral("data/day1.v2.snirf"));
    EXPECT_EQ(SnirfPathFor(QStringLiteral("/a.b/record")), QStringLiteral("/a.b/record.snirf"));
}

TEST_F(ExportCommandTest, ConvertsEveryFixtureNextToItsRecord) {
    const QStringList inputs = {Copy(QStringLiteral("saved-record.csv")),
                                Copy(QStringLiteral("record-resaved-by-spreadsheet.csv")),
                                Copy(QStringLiteral("record-resaved-quoted-by-spreadsheet.csv"))};
    EXPECT_EQ(Run(inputs), 0) << err.toStdString();
    EXPECT_TRUE(err.isEmpty());
    EXPECT_EQ(out.count(QLatin1Char('\n')), 3);
    for (const QString& input : inputs) EXPECT_TRUE(QFile::exists(SnirfPathFor(input))) << input.toStdString();
}

TEST_F(ExportCommandTest, ABadFileIsReportedAndTheOthersAreStillConverted) {
    const QString good = Copy(QStringLiteral("saved-record.csv"));
    QByteArray damaged = FileBytes(good);
    damaged.replace("START 2026/12/09", "START 2026-12-09");
    const QString bad = folder.filePath(QStringLiteral("damaged.csv"));
    ASSERT_TRUE(WriteFileBytes(bad, damaged));
    const QString missing = folder.filePath(QStringLiteral("missing.csv"));

    EXPECT_EQ(Run({bad, missing, good}), 1);
    EXPECT_TRUE(err.contains(bad + QStringLiteral(": Data format error."))) << err.toStdString();
    EXPECT_TRUE(err.contains(missing + QStringLiteral(": no such file"))) << err.toStdString();
    EXPECT_TRUE(out.contains(good)) << out.toStdString();
    EXPECT_EQ(Files(), (QStringList{"damaged.csv", "saved-record.csv", "saved-record.snirf"}));
}

TEST_F(ExportCommandTest, AFolderGivenAsTheRecordIsSaidToBeOne) {
    const QString named = folder.filePath(QStringLiteral("day1.csv"));
    ASSERT_TRUE(QDir().mkdir(named));
    EXPECT_EQ(Run({named}), 1);
    EXPECT_EQ(err.trimmed(), named + QStringLiteral(": this is a folder, not a record file"));
}

// A file at the output path is the user's until they say otherwise, and the
// raw intensities of an upload are never given up for a file without them.
TEST_F(ExportCommandTest, AnExistingFileIsReplacedOnlyWhenAskedAndNeverLosesRawIntensities) {
    const QString input = Copy(QStringLiteral("saved-record.csv"));
    const QString target = SnirfPathFor(input);
    SampleStore upload;
    BuildLongRecord(upload, 50);
    upload.HasRawIntensities = true;
    struct Case {
        const char* what;
        bool uploadFile;  // the file there holds raw intensities
        bool overwrite;
        bool replaced;
        const char* said;
    };
    const Case cases[] = {
        {"any file, not asked", false, false, false, "exists already; it is kept (--overwrite replaces it)"},
        {"any file, asked", false, true, true, ""},
        {"an upload's, not asked", true, false, false, "exists already"},
        {"an upload's, asked", true, true, false, "holds the raw intensities of an upload (data2)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        out.clear();
        err.clear();
        QFile::remove(target);
        if (c.uploadFile) ASSERT_TRUE(WriteSnirfFile(upload, target).written);
        else ASSERT_TRUE(WriteFileBytes(target, "someone's file"));
        const QByteArray before = FileBytes(target);
        EXPECT_EQ(Run({input}, {}, c.overwrite), c.replaced ? 0 : 1);
        EXPECT_EQ(FileBytes(target) != before, c.replaced);
        if (!c.replaced) {
            EXPECT_TRUE(err.startsWith(input + QStringLiteral(": "))) << err.toStdString();
            EXPECT_TRUE(err.contains(target)) << err.toStdString();
            EXPECT_TRUE(err.contains(QLatin1String(c.said))) << err.toStdString();
        }
        EXPECT_EQ(Files(), (QStringList{"saved-record.csv", "saved-record.snirf"}));
    }
    // A dangling link holds the name as well: nothing is written through it.
    QFile::remove(target);
    ASSERT_TRUE(QFile::link(folder.filePath(QStringLiteral("elsewhere/x.snirf")), target));
    EXPECT_EQ(Run({input}), 1);
    EXPECT_TRUE(QFileInfo(target).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(folder.filePath(QStringLiteral("elsewhere"))));
}

// A damaged file: what the conversion could not read is named, by line;
// rows that cannot be read keep their places, and a file that ends early
// is not converted at all.
TEST_F(ExportCommandTest, DamageIsNamedByLine) {
    const QList<QByteArray> lines = FileBytes(FixturePath(QStringLiteral("saved-record.csv"))).split('\n');
    struct Case {
        const char* what;
        std::function<void(QList<QByteArray>&)> damage;
        bool written;
        const char* said;
    };
    const Case cases[] = {
        {"a short row", [](QList<QByteArray>& l) { l[8] = l[8].left(30) + '\r'; }, true,
         "rows of fewer than 17 fields at line 9, each written as a row without data"},
        {"two short rows", [](QList<QByteArray>& l) { l[8] = l[8].left(30) + '\r'; l[10] = ",,,\r"; }, true,
         "at lines 9 and 11, each"},
        {"a line past the reader's 511 characters", [](QList<QByteArray>& l) { l[7].insert(l[7].size() - 1, QByteArray(600, ' ')); },
         true, "lines longer than 511 characters at line 8, the rest of each passed over"},
        {"an empty line part-way", [](QList<QByteArray>& l) { l.insert(9, "\r"); }, false,
         "line 10 is empty, which ends a record file, but "},
        {"a row that cannot be read", [](QList<QByteArray>& l) { l[7].replace(",", ",x"); }, false,
         "Data format error. It is not a complete record file: line 8 cannot be read."},
        {"empty lines at the end", [](QList<QByteArray>& l) { l.append("\r"); l.append("\r"); }, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        out.clear();
        err.clear();
        QList<QByteArray> damaged = lines;
        c.damage(damaged);
        const QString path = folder.filePath(QStringLiteral("damaged.csv"));
        ASSERT_TRUE(WriteFileBytes(path, damaged.join('\n')));
        QFile::remove(SnirfPathFor(path));
        EXPECT_EQ(Run({path}), *c.said ? 1 : 0);
        EXPECT_EQ(QFile::exists(SnirfPathFor(path)), c.written);
        EXPECT_TRUE(err.contains(QLatin1String(c.said))) << err.toStdString();
    }
}

TEST_F(ExportCommandTest, RowsCutOffByABadLineStillFailTheFile) {
    QByteArray bytes = FileBytes(FixturePath(QStringLiteral("saved-record.csv")));
    bytes.replace("00:00:35,7,3.5", "00:00:35,x7,3.5");
    const QString path = folder.filePath(QStringLiteral("cut.csv"));
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    EXPECT_EQ(Run({path}), 1);
    EXPECT_FALSE(QFile::exists(SnirfPathFor(path)));
}

TEST_F(ExportCommandTest, OutputNamesTheFileAndNeverTheRecordItself) {
    const QString input = Copy(QStringLiteral("saved-record.csv"));
    const QString named = folder.filePath(QStringLiteral("named.snirf"));
    EXPECT_EQ(Run({input}, named), 0) << err.toStdString();
    EXPECT_TRUE(QFile::exists(named));
    EXPECT_FALSE(QFile::exists(SnirfPathFor(input)));

    const QByteArray before = FileBytes(input);
    EXPECT_EQ(Run({input}, input), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("replace the record file itself")));
    EXPECT_EQ(FileBytes(input), before);
}

}  // namespace
