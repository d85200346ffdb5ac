#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include "data/CsvTestRecords.h"
#include "export/ExportCommand.h"

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
    int Run(const QStringList& inputs, const QString& output = {}) {
        QTextStream outStream(&out), errStream(&err);
        return ExportSnirfFiles(inputs, output, QString(), outStream, errStream);
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
