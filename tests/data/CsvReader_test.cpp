#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryDir>
#include <bit>
#include <charconv>
#include <cmath>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "data/CsvLine.h"
#include "data/CsvReader.h"
#include "data/CsvTestRecords.h"
#include "data/CsvWriter.h"
#include "data/OleDate.h"
#include "data/SampleStore.h"

// Found by the vector comparisons below, which look in the global namespace.
bool operator==(const EVENT_MARK_TYPE& a, const EVENT_MARK_TYPE& b) { return a.sample == b.sample && a.code == b.code; }

namespace {

const QByteArray Header =
    "S/N,Tq580-123456-789,RATE,100\r\n"
    "START 2026/12/09 10:00:00\r\n"
    "END   2026/12/09 10:00:03\r\n"
    ",,,,,,,CH1,,,,,CH2\r\n"
    "TIME,SEQ,BATT[V],Acceleration x[G],Acceleration y[G],Acceleration z[G],EVENT,"
    "ERROR,OXHb-35[mM],DXHb-35[mM],TOHb-35[mM],Sto2-35[%],ERROR,OXHb-35[mM],DXHb-35[mM],TOHb-35[mM],Sto2-35[%]\r\n";

QByteArray Row(int index, const char* event = "") {
    return "00:00:00," + QByteArray::number(index) + ",3.6, 0.01,-0.02, 0.98," + event +
           ",, 0.0123,-0.0045, 0.0078, 65.43,, 0.0000, 0.0000, 0.0000, 64.10\r\n";
}

CsvReadResult ReadBytes(SampleStore& store, const QByteArray& bytes) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return ReadRecord(store, buffer);
}

// A record already in memory, to see whether a file replaced it.
void HoldPreviousRecord(SampleStore& store) {
    ResetRecord(store);
    store.RecordDeviceId = QStringLiteral("Tq580-999999-999");
    MEAS_DATA_TYPE sample{};
    for (int i = 0; i < 3; ++i) AppendSample(store, sample);
    AddEventMark(store, 1, 4);
}

bool HoldsPreviousRecord(const SampleStore& store) {
    return store.SampleCount == 3 && store.RecordDeviceId == QStringLiteral("Tq580-999999-999") &&
           EventMarkCount(store) == 1;
}

std::vector<EVENT_MARK_TYPE> Marks(const SampleStore& store) {
    return {store.EventMarks, store.EventMarks + EventMarkCount(store)};
}

TEST(CsvReader, ASavedRecordComesBack) {
    SampleStore saved;
    BuildSmallRecord(saved);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("record.csv"));
    ASSERT_EQ(WriteRecordFile(saved, path).result, CsvWriteResult::Written);

    SampleStore store;
    store.HasRawIntensities = true;  // an upload was in memory; the file has no raw intensities
    const CsvReadResult result = ReadRecordFile(store, path);
    EXPECT_TRUE(result.recordReplaced);
    EXPECT_FALSE(result.formatError);
    EXPECT_FALSE(store.HasRawIntensities);
    ASSERT_EQ(store.SampleCount, saved.SampleCount);
    EXPECT_EQ(store.RecordDeviceId, QStringLiteral("Tq580-123456-7?9"));  // the file is ASCII
    EXPECT_EQ(store.RecordRateIndex, 5);
    EXPECT_EQ(FormatDateTime(store.RecordStartTime), QStringLiteral("2026/12/09 23:59:30"));
    EXPECT_EQ(FormatDateTime(store.RecordEndTime), QStringLiteral("2026/12/11 00:00:20"));
    EXPECT_EQ(Marks(store), Marks(saved));

    // Status words come back as the columns say: N, E (bits 8 and 9), R.
    const uint16_t status[6][2] = {{0x8000, 0}, {0x0400, 0x0400}, {0x0300, 0}, {0, 0}, {0x8300, 0x0300}, {0, 0x0400}};
    for (int i = 0; i < store.SampleCount; ++i) {
        SCOPED_TRACE(i);
        const MEAS_DATA_TYPE& in = store.Samples[i];
        const MEAS_DATA_TYPE& out = saved.Samples[i];
        EXPECT_EQ(in.index, out.index);
        EXPECT_EQ(in.seq, static_cast<uint8_t>(out.index));
        EXPECT_NEAR(in.batt, out.batt, 0.05);
        for (int a = 0; a < 3; ++a) EXPECT_NEAR(in.acc[a], out.acc[a], 0.005);
        for (int c = 0; c < 2; ++c) {
            EXPECT_EQ(in.ch[c].status, status[i][c]) << "channel " << c;
            EXPECT_NEAR(in.ch[c].oxhb, out.ch[c].oxhb, 0.00005);
            EXPECT_NEAR(in.ch[c].dxhb, out.ch[c].dxhb, 0.00005);
            EXPECT_NEAR(in.ch[c].tohb, out.ch[c].tohb, 0.00005);
            EXPECT_NEAR(in.ch[c].sto2, out.ch[c].sto2, 0.00005);
        }
        // Rows follow each other by the interval from the start, whatever their index.
        EXPECT_EQ(OleDateToMilliseconds(in.time), OleDateToMilliseconds(store.RecordStartTime) + i * 5000);
    }
}

// Every row of a long record, read back and saved again, gives the same
// bytes: the reader takes each number as the writer wrote it.
TEST(CsvReader, ALongRecordOpenedAndSavedAgainKeepsItsBytes) {
    SampleStore saved;
    BuildLongRecord(saved, 6000);
    for (int i = 0; i < 6000; i += 7) saved.Samples[i].ch[1].status |= StatusHaemoglobinCalcError;
    QTemporaryDir folder;
    const QString first = folder.filePath(QStringLiteral("first.csv"));
    const QString second = folder.filePath(QStringLiteral("second.csv"));
    ASSERT_EQ(WriteRecordFile(saved, first).result, CsvWriteResult::Written);

    SampleStore store;
    const CsvReadResult result = ReadRecordFile(store, first);
    ASSERT_FALSE(result.formatError);
    ASSERT_EQ(store.SampleCount, 6000);
    ASSERT_EQ(WriteRecordFile(store, second).result, CsvWriteResult::Written);
    const QByteArray before = FileBytes(first);
    EXPECT_GT(before.size(), 3 * 64 * 1024);  // rows cross the reader's chunks
    EXPECT_TRUE(FileBytes(second) == before);
}

TEST(CsvReader, OpensFilesResavedBySpreadsheets) {
    for (const char* name : {"record-resaved-by-spreadsheet.csv", "record-resaved-quoted-by-spreadsheet.csv"}) {
        SCOPED_TRACE(name);
        SampleStore store;
        const CsvReadResult result = ReadRecordFile(store, FixturePath(QString::fromLatin1(name)));
        ASSERT_TRUE(result.opened);
        EXPECT_TRUE(result.recordReplaced);
        EXPECT_FALSE(result.formatError);
        ASSERT_EQ(store.SampleCount, 40);
        EXPECT_EQ(store.RecordDeviceId, QStringLiteral("Tq580-123456-789"));
        EXPECT_EQ(store.RecordRateIndex, 1);
        EXPECT_EQ(FormatDateTime(store.RecordStartTime), QStringLiteral("2026/12/09 10:00:00"));
        EXPECT_EQ(FormatDateTime(store.RecordEndTime), QStringLiteral("2026/12/09 10:00:03"));
        const std::vector<EVENT_MARK_TYPE> marks = {{3, 1}, {5, 1}, {9, -1}, {15, 2}, {30, -2}};
        EXPECT_EQ(Marks(store), marks);
        EXPECT_EQ(store.Samples[5].ch[0].status, StatusInitPoint);
        EXPECT_EQ(store.Samples[12].ch[0].status, StatusNoData);
        EXPECT_EQ(store.Samples[12].ch[1].status, StatusNoData);
        EXPECT_EQ(store.Samples[20].ch[0].status, 0x0300);
        EXPECT_EQ(store.Samples[39].index, 39);
        EXPECT_FLOAT_EQ(store.Samples[0].ch[0].sto2, 0.6543f);
        EXPECT_FLOAT_EQ(store.Samples[39].ch[1].tohb, -0.0085f);
        EXPECT_FLOAT_EQ(store.Samples[8].acc[1], -0.1f);
    }
}

struct FileCase {
    const char* what;
    QByteArray bytes;
    bool replaced;
    bool formatError;
    std::vector<int32_t> indices;  // SEQ of the rows kept, when replaced
};

TEST(CsvReader, DamagedFilesKeepTheRowsReadBeforeTheDamage) {
    const QByteArray longTail = QByteArray(",,") + QByteArray(600, 'x') + "\r\n";
    const FileCase cases[] = {
        {"a whole file", Header + Row(0) + Row(1) + Row(2), true, false, {0, 1, 2}},
        {"cut off mid-row", Header + Row(0) + Row(1) + "00:00:00,2,3.6, 0.01,-0", true, false, {0, 1}},
        {"cut off in a header line", Header.left(40), true, true, {}},
        {"a non-numeric battery", Header + Row(0) + "00:00:00,1,abc,0,0,0,,,0,0,0,0,,0,0,0,0\r\n" + Row(2), true, true, {0}},
        {"a non-numeric SEQ", Header + Row(0) + "00:00:00,1x,3.6,0,0,0,,,0,0,0,0,,0,0,0,0\r\n", true, true, {0}},
        {"a bad channel value", Header + "00:00:00,0,3.6,0,0,0,S1,,0,0,0,0,,0,0,0,6O.1\r\n", true, true, {}},
        // Spaces go in front of a number, not between its sign and its digits.
        {"a sign apart from its number", Header + Row(0) + "00:00:00,1,3.6,0,0,0,,,+ 0.0123,0,0,0,,0,0,0,0\r\n", true,
         true, {0}},
        {"a row of 16 fields is skipped", Header + Row(0) + "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15\r\n" + Row(2),
         true, false, {0, 2}},
        {"an empty line ends reading", Header + Row(0) + "\r\n" + Row(1), true, false, {0}},
        {"an over-long row is read in pieces", Header + Row(0) + Row(1).chopped(2) + longTail + Row(2), true, false, {0, 1, 2}},
        {"an empty file", QByteArray(), false, false, {}},
        {"another device", QByteArray(Header).replace("Tq580-", "Tq590-") + Row(0), false, true, {}},
        {"no RATE word", QByteArray(Header).replace("RATE", "Rate") + Row(0), false, true, {}},
        {"a rate that is no number", QByteArray(Header).replace("RATE,100", "RATE,1e2") + Row(0), false, true, {}},
        {"three channel captions", QByteArray(Header).replace(",CH2", ",CH2,CH3") + Row(0), true, true, {}},
        {"no TIME caption", QByteArray(Header).replace("TIME,SEQ", "Time,SEQ") + Row(0), true, true, {}},
        {"an impossible start date", QByteArray(Header).replace("2026/12/09 10:00:00", "2026/02/30 10:00:00"), true,
         true, {}},
        {"a start line without time", QByteArray(Header).replace("START 2026/12/09 10:00:00", "START 2026/12/09 10-00-00"),
         true, true, {}},
        {"a UTF-8 byte-order mark before the first line", "\xEF\xBB\xBF" + Header + Row(0) + Row(1), true, false, {0, 1}},
        {"a quote never closed stays in its field", Header + Row(0) + Row(1, "\"S1") + Row(2), true, false, {0, 1, 2}},
        {"a battery beyond the float range", Header + Row(0) + "00:00:00,1,1e39,0,0,0,,,0,0,0,0,,0,0,0,0\r\n" + Row(2),
         true, true, {0}},
        {"an STO2 beyond the float range", Header + Row(0) + "00:00:00,1,3.6,0,0,0,,,0,0,0,1e41,,0,0,0,0\r\n", true,
         true, {0}},
        {"a binary file", QByteArray("\x7f" "ELF\x02\x01\x01\x00\x00\x00", 10) + QByteArray(2000, '\xff'), false, true, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SampleStore store;
        HoldPreviousRecord(store);
        const CsvReadResult result = ReadBytes(store, c.bytes);
        EXPECT_EQ(result.recordReplaced, c.replaced);
        EXPECT_EQ(result.formatError, c.formatError);
        if (c.replaced) {
            std::vector<int32_t> indices;
            for (int i = 0; i < store.SampleCount; ++i) indices.push_back(store.Samples[i].index);
            EXPECT_EQ(indices, c.indices);
        } else {
            EXPECT_TRUE(HoldsPreviousRecord(store));
        }
    }
}

TEST(CsvReader, ALineOfExactly511CharactersEndsReadingAtItsLineFeed) {
    QByteArray exact = Row(1).chopped(2);
    exact += ",," + QByteArray(511 - exact.size() - 2, 'x');
    ASSERT_EQ(exact.size(), 511);
    SampleStore store;
    const CsvReadResult result = ReadBytes(store, Header + Row(0) + exact + "\r\n" + Row(2));
    EXPECT_FALSE(result.formatError);
    EXPECT_EQ(store.SampleCount, 2);  // the line feed after the piece reads as an empty line
}

// As the exports read a damaged file: each row too short to read holds its
// place as a row without data (keeping a whole EVENT field's marks), so the
// rows after it keep their times; every such line is named, and so is an
// empty line with rows after it.
TEST(CsvReader, RowsTooShortKeepTheirPlacesWhenAsked) {
    const QByteArray bytes = Header + Row(0) + "00:00:00,1,3.6\r\n" + Row(2) + "00:00:00,3,3.6,0,0,0,S4,,0.5\r\n" +
                             Row(4) + "\r\n" + Row(5) + "\r\n";
    SampleStore store;
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    const CsvReadResult kept = ReadRecord(store, buffer, ShortRows::KeepTheirPlace);
    EXPECT_EQ(kept.shortRowLines, (std::vector<int32_t>{7, 9}));
    EXPECT_EQ(kept.emptyLine, 11);
    EXPECT_EQ(kept.linesAfterEmptyLine, 1);
    ASSERT_EQ(store.SampleCount, 5);
    for (int position : {1, 3}) {
        EXPECT_EQ(store.Samples[position].index, position);
        for (const CH_DATA_TYPE& channel : store.Samples[position].ch) EXPECT_TRUE(channel.status & StatusNoData);
    }
    EXPECT_EQ(store.Samples[4].index, 4);
    EXPECT_EQ(FormatDateTime(store.Samples[4].time), QStringLiteral("2026/12/09 10:00:00"));
    EXPECT_NEAR((store.Samples[4].time - store.RecordStartTime) * 86400.0, 0.4, 1e-6);
    EXPECT_EQ(Marks(store), (std::vector<EVENT_MARK_TYPE>{{3, 4}}));

    // Open reads the same file as the format says: short rows skipped.
    SampleStore opened;
    const CsvReadResult skipped = ReadBytes(opened, bytes);
    EXPECT_EQ(skipped.shortRowLines, kept.shortRowLines);
    ASSERT_EQ(opened.SampleCount, 3);
    EXPECT_EQ(opened.Samples[1].index, 2);
}

TEST(CsvReader, HeaderLayoutsAndRates) {
    struct Case {
        const char* what;
        const char* from;
        const char* to;
        int rateIndex;
    };
    const Case cases[] = {
        {"an unknown rate reads as 100 ms", "RATE,100", "RATE,300", 1},
        {"50 ms", "RATE,100", "RATE,50", 0},
        {"5000 ms", "RATE,100", "RATE,5000", 5},
        {"start in two fields", "START 2026/12/09 10:00:00", "START,2026/12/09 10:00:00,,,", 1},
        {"start with one comma", "START 2026/12/09 10:00:00", "START,2026/12/09 10:00:00", 1},
        {"start followed by sixteen commas", "START 2026/12/09 10:00:00", "START 2026/12/09 10:00:00,,,,,,,,,,,,,,,,", 1},
        {"a Tq570", "Tq580-", "Tq570-", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SampleStore store;
        const CsvReadResult result = ReadBytes(store, QByteArray(Header).replace(c.from, c.to) + Row(0));
        EXPECT_FALSE(result.formatError);
        EXPECT_EQ(store.SampleCount, 1);
        EXPECT_EQ(store.RecordRateIndex, c.rateIndex);
        EXPECT_EQ(FormatDateTime(store.RecordStartTime), QStringLiteral("2026/12/09 10:00:00"));
    }
}

TEST(CsvReader, EventColumn) {
    struct Case {
        const char* event;
        uint16_t status;
        std::vector<EVENT_MARK_TYPE> marks;
    };
    const Case cases[] = {
        {"RS1E12", StatusInitPoint, {{1, 1}, {1, -1}}},  // the last 2 is passed over
        {"S0E", 0, {}},
        {"S9E9", 0, {{1, 9}, {1, -9}}},
        {"xSyS3", 0, {{1, 3}}},
        {"\"R\"", StatusInitPoint, {}},  // a quoted cell
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.event);
        SampleStore store;
        ReadBytes(store, Header + Row(0) + Row(1, c.event));
        ASSERT_EQ(store.SampleCount, 2);
        EXPECT_EQ(store.Samples[1].ch[0].status, c.status);
        EXPECT_EQ(Marks(store), c.marks);
    }
}

TEST(CsvReader, MarksOfARowThatFailsAreNotKept) {
    SampleStore store;
    ReadBytes(store, Header + Row(0, "S1") + "00:00:00,1,3.6,0,0,0,E1,,0,0,0,bad,,0,0,0,0\r\n");
    EXPECT_EQ(store.SampleCount, 1);
    EXPECT_EQ(Marks(store), (std::vector<EVENT_MARK_TYPE>{{0, 1}}));
}

TEST(CsvReader, StopsAtTheStoreCapacity) {
    QByteArray bytes = Header;
    bytes.reserve(Header.size() + (MaxSamples + 2) * 40);
    for (int i = 0; i < MaxSamples + 2; ++i) bytes += "0," + QByteArray::number(i) + ",,,,,,,,,,,,,,,\n";
    SampleStore store;
    const CsvReadResult result = ReadBytes(store, bytes);
    EXPECT_TRUE(result.truncated);
    EXPECT_FALSE(result.formatError);
    EXPECT_EQ(store.SampleCount, MaxSamples);
    EXPECT_EQ(store.Samples[MaxSamples - 1].index, MaxSamples - 1);
    EXPECT_FALSE(store.RecordFull);  // an opened file is not a full measurement
}

TEST(CsvLine, SplitsAtCommasUpToThirtyTwoFieldsAndUnquotes) {
    struct Case {
        const char* line;
        std::vector<std::string> fields;
    };
    std::vector<std::string> many(32);
    for (int i = 0; i < 32; ++i) many[i] = std::to_string(i);
    std::string manyLine;
    for (int i = 0; i < 40; ++i) manyLine += std::to_string(i) + ",";
    const Case cases[] = {
        {"a,,b", {"a", "", "b"}},
        {",", {"", ""}},
        {"x", {"x"}},
        {"\"S/N\",\"a,b\",\"say \"\"hi\"\"\",3", {"S/N", "a,b", "say \"hi\"", "3"}},
        {"\"open", {"\"open"}},  // a quote never closed is an ordinary character
        {"\"open,b,c", {"\"open", "b", "c"}},
        {manyLine.c_str(), many},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        CsvFields fields;
        SplitCsvLine(c.line, static_cast<int32_t>(strlen(c.line)), fields);
        ASSERT_EQ(fields.count, static_cast<int>(c.fields.size()));
        for (int k = 0; k < fields.count; ++k) EXPECT_EQ(std::string(fields(k + 1)), c.fields[k]);
    }
}

// The line rule byte by byte: stop at a line feed (consumed), the end or
// 511 stored characters; carriage returns are dropped and do not count.
std::vector<std::string> LinesByTheRule(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t at = 0;
    for (;;) {
        std::string line;
        while (static_cast<int>(line.size()) < MaxLineLength && at < bytes.size()) {
            const char byte = bytes[at++];
            if (byte == '\n') break;
            if (byte != '\r') line.push_back(byte);
        }
        if (line.empty() && at >= bytes.size()) return lines;
        lines.push_back(line);
    }
}

TEST(CsvLine, ReadsLinesByTheByteRuleAcrossReadChunks) {
    std::mt19937 random(511);
    for (const int lineScale : {3, 120, 700}) {
        SCOPED_TRACE(lineScale);
        // Carriage returns alone, in runs and before line feeds; lines around
        // 511 characters; a quarter of a megabyte, so lines cross read chunks.
        std::string bytes;
        while (bytes.size() < 250000) {
            const int length = static_cast<int>(random() % (2 * lineScale + 1));
            for (int i = 0; i < length; ++i) {
                const unsigned pick = random() % 20;
                bytes.push_back(pick == 0 ? '\r' : pick == 1 ? ',' : static_cast<char>('a' + pick));
            }
            bytes += random() % 3 == 0 ? "\n" : "\r\n";
        }
        QByteArray content(bytes.data(), static_cast<qsizetype>(bytes.size()));
        QBuffer device(&content);
        device.open(QIODevice::ReadOnly);
        CsvLineReader reader(device);
        char LineBuffer[LineBufferSize];
        const std::vector<std::string> expected = LinesByTheRule(bytes);
        for (size_t i = 0; i < expected.size(); ++i) {
            const int32_t length = reader.ReadLine(LineBuffer);
            ASSERT_EQ(LineBuffer[length], '\0');
            ASSERT_EQ(std::string(LineBuffer, static_cast<size_t>(length)), expected[i]) << "line " << i;
        }
        EXPECT_EQ(reader.ReadLine(LineBuffer), 0);
        EXPECT_TRUE(device.atEnd());
        EXPECT_FALSE(reader.ReadFailed());
    }
}

TEST(CsvLine, FindsCommasAtEveryOffset) {
    for (int first = 0; first < 20; ++first) {
        for (int second = 0; second < 20; ++second) {
            const std::string line = std::string(first, 'a') + ',' + std::string(second, 'b') + ",c";
            CsvFields fields;
            SplitCsvLine(line.data(), static_cast<int32_t>(line.size()), fields);
            ASSERT_EQ(fields.count, 3) << line;
            EXPECT_EQ(fields(1), std::string(first, 'a'));
            EXPECT_EQ(fields(2), std::string(second, 'b'));
            EXPECT_EQ(fields(3), "c");
        }
    }
}

// The value std::from_chars gives, which the reader used for every number.
std::optional<double> LibraryNumber(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (text.empty()) return 0.0;
    if (text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
    return value;
}

void ExpectSameNumber(const std::string& text) {
    const std::optional<double> expected = LibraryNumber(text);
    const std::optional<double> actual = ParseCsvNumber(text);
    ASSERT_EQ(actual.has_value(), expected.has_value()) << '"' << text << '"';
    if (expected && !std::isnan(*expected)) {
        EXPECT_EQ(std::bit_cast<uint64_t>(*actual), std::bit_cast<uint64_t>(*expected)) << '"' << text << '"';
    }
}

TEST(CsvLine, NumbersReadAsTheLibraryReadsThem) {
    for (const char* text : {"0.0123", " -0.0045", "-0.0000", "-0", "0", "65.43", "  0.00", "3.6", "5.", ".5", "-.5",
                             "-", ".", "1e-3", "1E5", "0x10", "+1.5", "+ 0.0123", "+  7", "+-1", "--1", "1.2.3", " 1 2", "inf", "-nan",
                             "123456789012345", "999999999999999.9", "9007199254740993", "0.30000000000000004",
                             "00000000000000000012.5", "1.00000000000000000000000001", "0.1234567890123456789"})
        ExpectSameNumber(text);

    // The writer's fields and longer digit strings, with and without sign.
    std::mt19937_64 random(3429);
    for (int i = 0; i < 100000; ++i) {
        std::string text = random() % 2 ? "-" : "";
        const int integerDigits = 1 + static_cast<int>(random() % 10);
        const int decimals = static_cast<int>(random() % 9);
        for (int d = 0; d < integerDigits; ++d) text.push_back(static_cast<char>('0' + random() % 10));
        if (decimals > 0) text.push_back('.');
        for (int d = 0; d < decimals; ++d) text.push_back(static_cast<char>('0' + random() % 10));
        ExpectSameNumber(std::string(random() % 3, ' ') + text);
    }
}

TEST(CsvLine, Numbers) {
    EXPECT_EQ(ParseCsvInteger("  42"), 42);
    EXPECT_EQ(ParseCsvInteger("-7 "), -7);
    EXPECT_FALSE(ParseCsvInteger(""));
    EXPECT_FALSE(ParseCsvInteger("4.0"));
    EXPECT_FALSE(ParseCsvInteger("99999999999999999999"));
    EXPECT_EQ(ParseCsvNumber(""), 0.0);
    EXPECT_EQ(ParseCsvNumber("  -0.0045"), -0.0045);
    EXPECT_EQ(ParseCsvNumber("1e-3"), 0.001);
    EXPECT_TRUE(std::isnan(*ParseCsvNumber("   nan")));  // as the writer spells a failed value
    EXPECT_FALSE(ParseCsvNumber("0,5"));
    EXPECT_FALSE(ParseCsvNumber("3.6V"));
}

}  // namespace
