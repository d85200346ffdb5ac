#include <gtest/gtest.h>

#include <QByteArray>
#include <cmath>
#include <limits>

#include "data/CsvTestRecords.h"
#include "data/SampleStore.h"
#include "journal/JournalReader.h"
#include "journal/JournalTestRecords.h"

namespace {

// A journal of ten samples and one mark, entry by entry: the file, the
// header, samples 0..9 (entries 2..11), the mark (entry 12).
struct SmallJournal {
    SampleStore record;
    QByteArray bytes;

    SmallJournal() {
        BuildLongRecord(record, 10);
        AddEventMark(record, 4, 3);
        AppendEntry(bytes, EncodeFileEntry());
        AppendEntry(bytes, EncodeHeaderEntry(HeaderOf(record)));
        for (int32_t i = 0; i < record.SampleCount; ++i) AppendEntry(bytes, EncodeSampleEntry(i, record.Samples[i]));
        AppendEntry(bytes, EncodeMarkEntry(0, record.EventMarks[0]));
    }
};

JournalReadResult Read(const QByteArray& bytes, SampleStore& store) {
    return ReadJournal(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size()), store);
}

TEST(JournalReader, GivesBackEveryFieldBitForBit) {
    SampleStore record;
    BuildLongRecord(record, 40);
    // Values a text form would change: NaN, signed zero, infinity, the
    // lowest subnormal, and a placeholder for a lost sample.
    record.Samples[3].ch[0].oxhb = std::numeric_limits<float>::quiet_NaN();
    record.Samples[4].ch[1].dxhb = -0.0f;
    record.Samples[5].batt = std::numeric_limits<float>::infinity();
    record.Samples[6].acc[2] = std::numeric_limits<float>::denorm_min();
    record.Samples[7].ch[1].level[2] = 65535;
    record.Samples[8].ch[0].i830 = 1234.5f;
    AppendLostPlaceholder(record, record.Samples[39]);
    AddEventMark(record, 2, 1);
    AddEventMark(record, 30, -1);

    JournalHeader header = HeaderOf(record, JournalKind::Upload);
    header.deviceId = QStringLiteral("Tq580-123456-001 ÄÖ");
    QByteArray bytes;
    AppendEntry(bytes, EncodeFileEntry());
    AppendEntry(bytes, EncodeHeaderEntry(header));
    for (int32_t i = 0; i < record.SampleCount; ++i) AppendEntry(bytes, EncodeSampleEntry(i, record.Samples[i]));
    for (int slot = 0; slot < 2; ++slot) AppendEntry(bytes, EncodeMarkEntry(slot, record.EventMarks[slot]));

    SampleStore rebuilt;
    const JournalReadResult result = Read(bytes, rebuilt);
    EXPECT_EQ(result.status, JournalReadStatus::Complete);
    EXPECT_EQ(result.header, header);
    ASSERT_EQ(rebuilt.SampleCount, record.SampleCount);
    for (int32_t i = 0; i < record.SampleCount; ++i) EXPECT_TRUE(SameSample(rebuilt.Samples[i], record.Samples[i])) << i;
    EXPECT_EQ(EventMarkCount(rebuilt), 2);
    EXPECT_EQ(rebuilt.EventMarks[1].sample, 30);
    EXPECT_EQ(rebuilt.EventMarks[1].code, -1);
    EXPECT_EQ(rebuilt.RecordDeviceId, header.deviceId);
    EXPECT_EQ(rebuilt.RecordStartTime, record.RecordStartTime);
    EXPECT_FALSE(rebuilt.DataSaved);
}

TEST(JournalReader, ALongDeviceNameIsCutOnACharacterBoundary) {
    JournalHeader header;
    header.deviceId = QString(99, u'x') + QStringLiteral("é");  // 99 + 2 bytes: é does not fit
    DecodedEntry entry;
    ASSERT_TRUE(DecodeEntry(EncodeHeaderEntry(header).data(), entry));
    EXPECT_EQ(entry.header.deviceId, QString(99, u'x'));
}

struct Damage {
    const char* name;
    std::function<void(QByteArray&)> apply;
    JournalReadStatus status;
    int32_t samples;
    int marks;
};

void FlipByte(QByteArray& bytes, int entry, int offset) { bytes[entry * JournalEntrySize + offset] ^= 0x40; }

void PrintTo(const Damage& row, std::ostream* out) { *out << row.name; }

class DamagedJournal : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedJournal, KeepsTheEntriesBeforeTheDamage) {
    SmallJournal journal;
    GetParam().apply(journal.bytes);
    SampleStore rebuilt;
    BuildLongRecord(rebuilt, 50);  // whatever the store held before goes
    const JournalReadResult result = Read(journal.bytes, rebuilt);
    EXPECT_EQ(result.status, GetParam().status);
    ASSERT_EQ(rebuilt.SampleCount, GetParam().samples);
    for (int32_t i = 0; i < rebuilt.SampleCount; ++i)
        EXPECT_TRUE(SameSample(rebuilt.Samples[i], journal.record.Samples[i])) << i;
    EXPECT_EQ(EventMarkCount(rebuilt), GetParam().marks);
}

INSTANTIATE_TEST_SUITE_P(
    JournalReader, DamagedJournal,
    ::testing::Values(
        Damage{"Whole", [](QByteArray&) {}, JournalReadStatus::Complete, 10, 1},
        Damage{"LastEntryTorn", [](QByteArray& b) { b.chop(70); }, JournalReadStatus::TornTail, 10, 0},
        Damage{"CutBetweenEntries", [](QByteArray& b) { b.truncate(8 * JournalEntrySize); },
               JournalReadStatus::Complete, 6, 0},
        Damage{"LastEntryHalfWritten", [](QByteArray& b) { b.replace(b.size() - 40, 40, QByteArray(40, '\0')); },
               JournalReadStatus::TornTail, 10, 0},
        Damage{"ChecksumWrongInTheMiddle", [](QByteArray& b) { FlipByte(b, 5, 30); },
               JournalReadStatus::DamagedMiddle, 3, 0},
        Damage{"SampleOutOfOrder",
               [](QByteArray& b) {
                   MEAS_DATA_TYPE sample{};
                   const JournalEntry gap = EncodeSampleEntry(20, sample);
                   b.replace(6 * JournalEntrySize, JournalEntrySize,
                             QByteArray(reinterpret_cast<const char*>(gap.data()), JournalEntrySize));
               },
               JournalReadStatus::DamagedMiddle, 4, 0},
        Damage{"UnknownEntryType",
               [](QByteArray& b) {
                   JournalEntry entry = EncodeMarkEntry(0, {1, 1});
                   entry[0] = 9;
                   b.insert(4 * JournalEntrySize, QByteArray(reinterpret_cast<const char*>(entry.data()), JournalEntrySize));
               },
               JournalReadStatus::DamagedMiddle, 2, 0},
        Damage{"Empty", [](QByteArray& b) { b.clear(); }, JournalReadStatus::Empty, 0, 0},
        Damage{"ShorterThanOneEntry", [](QByteArray& b) { b.truncate(60); }, JournalReadStatus::NotAJournal, 0, 0},
        Damage{"ForeignFile",
               [](QByteArray& b) { b = QByteArray("S/N,Tq580-123456-001,RATE,50\r\n").repeated(60); },
               JournalReadStatus::NotAJournal, 0, 0},
        Damage{"FileEntryDamaged", [](QByteArray& b) { FlipByte(b, 0, 5); }, JournalReadStatus::NotAJournal, 0, 0},
        Damage{"NewerVersion",
               [](QByteArray& b) {
                   const JournalEntry file = EncodeFileEntry(JournalVersion + 1);
                   b.replace(0, JournalEntrySize, QByteArray(reinterpret_cast<const char*>(file.data()), JournalEntrySize));
               },
               JournalReadStatus::NewerVersion, 0, 0}),
    [](const ::testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

}  // namespace
