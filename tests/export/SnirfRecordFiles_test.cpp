// Makes the records that the MNE-Python and h5py checks (check_snirf.py)
// read: each is decoded from sensor packets, saved as CSV by the program's
// writer and exported as SNIRF straight from memory, as the window does.
// The folder comes from TQ580_SNIRF_RECORDS; without it the files go to a
// temporary folder and only the writing is checked.
#include <QDir>
#include <QTemporaryDir>
#include <cmath>
#include <numbers>

#include "data/CsvTestRecords.h"
#include "data/CsvWriter.h"
#include "data/PacketDecoderTest.h"
#include "data/RateTable.h"
#include "export/SnirfWriter.h"

namespace {

constexpr int FastestRate = 0, SlowestRate = 5;
// 9 December 2026 14:30:05 in packed BCD.
constexpr uint32_t HeaderDate = 0x261209, HeaderTime = 0x143005;

float Wave(int i, double period, double amplitude, double offset = 0) {
    return static_cast<float>(offset + amplitude * std::sin(2 * std::numbers::pi * i / period));
}

class SnirfRecordFiles : public PacketDecoderTest, public ::testing::WithParamInterface<int> {
protected:
    QTemporaryDir temporary;

    QString Folder() const {
        const QString asked = qEnvironmentVariable("TQ580_SNIRF_RECORDS");
        if (asked.isEmpty()) return temporary.path();
        QDir().mkpath(asked);
        return asked;
    }

    void Write(const QString& name) {
        const QDir folder(Folder());
        store.DataSaved = false;
        const CsvWriteOutcome csv = WriteRecordFile(store, folder.filePath(name + QStringLiteral(".csv")));
        ASSERT_EQ(csv.result, CsvWriteResult::Written) << csv.errorText.toStdString();
        const SnirfWriteOutcome snirf = WriteSnirfFile(store, folder.filePath(name + QStringLiteral("-window.snirf")));
        ASSERT_TRUE(snirf.written) << snirf.reason.toStdString();
        if (store.HasRawIntensities) {
            ASSERT_TRUE(WriteRawIntensities(store, folder.filePath(name + QStringLiteral("-raw.tsv"))));
        }
    }

    static QString RateName(int rate) { return QString::number(RateTable[rate]) + QStringLiteral("ms"); }

    // A new record of the rate, started at `start`.
    void BeginRecord(int rate, const DateTimeParts& start) {
        ResetRecord(store);
        store.RecordRateIndex = rate;
        store.RecordDeviceId = targetDeviceName;
        store.RecordStartTime = *OleDateFromParts(start);
    }

    // Sample i of the record, with slow waves in both channels, or "No data"
    // where it was lost.
    MEAS_DATA_TYPE WaveSample(int i, bool lost = false) const {
        MEAS_DATA_TYPE sample = lost ? store.NoDataSample : MEAS_DATA_TYPE{};
        sample.time = store.RecordStartTime + i * (RateTable[store.RecordRateIndex] / 1000.0) / 86400;
        sample.index = i;
        if (lost) return sample;
        sample.batt = 3.7f;
        sample.acc[2] = 1.0f;
        for (int c = 0; c < ChannelCount; ++c) {
            CH_DATA_TYPE& channel = sample.ch[c];
            channel.oxhb = Wave(i + 7 * c, 37, 0.02);
            channel.dxhb = Wave(i, 53 + c, 0.01, -0.003);
            channel.tohb = channel.oxhb + channel.dxhb;
            channel.sto2 = Wave(i, 90, 0.05, 0.65);
        }
        return sample;
    }
};

// Real time: lost packets become placeholders (three in a row) or a repeat
// (one), with events from the keyboard and value-initialization points.
TEST_P(SnirfRecordFiles, RealTimeRecordWithGaps) {
    const int rate = GetParam();
    store.RecordRateIndex = rate;
    clock.Set(*OleDateFromParts({2026, 12, 9, 23, 59, 58, 400}));
    uint8_t seq = 0;
    for (int i = 0; i < 400; ++i, ++seq) {
        if (i == 50) seq += 3;   // three lost: placeholders
        if (i == 120) seq += 1;  // one lost: the last sample repeated
        const uint16_t init = (i == 0 || i == 200) ? StatusInitPoint : 0;
        Feed(MeasurementPacket(seq, {init, Wave(i, 37, 0.02), Wave(i, 53, 0.01, -0.003), Wave(i, 90, 0.05, 0.65)},
                               {0, Wave(i, 41, 0.03, 0.001), Wave(i, 29, 0.012), Wave(i, 70, 0.04, 0.7)},
                               static_cast<uint16_t>(0x0400 - i)));
        clock.AdvanceMilliseconds(RateTable[rate]);
    }
    store.RecordDeviceId = targetDeviceName;
    ASSERT_TRUE(store.SequenceGap);
    for (auto [position, code] : {std::pair{10, 1}, {30, -1}, {60, 2}, {100, 3}, {150, -3}, {300, 1}})
        AddEventMark(store, position, code);
    Write(QStringLiteral("realtime-") + RateName(rate));
}

// Uploaded: haemoglobin computed on the PC from raw intensities against the
// reference samples the sensor marked.
TEST_P(SnirfRecordFiles, UploadedRecord) {
    const int rate = GetParam();
    StartUpload();
    const int count = 300;
    Feed(UploadHeader(static_cast<uint16_t>(rate), count, HeaderDate, HeaderTime), 40);
    for (int i = 0; i < count; ++i) {
        const uint16_t reference = (i == 0 || i == 150) ? StatusReferenceSample : 0;
        Feed(MeasurementPacket(static_cast<uint8_t>(i),
                               {reference, Wave(i, 45, 900, 31000), Wave(i, 60, 500, 18000), Wave(i, 80, 0.05, 0.66)},
                               {reference, Wave(i, 35, 700, 29000), Wave(i, 50, 400, 17000), Wave(i, 75, 0.04, 0.71)}));
    }
    store.UploadActive = false;
    store.RecordDeviceId = targetDeviceName;
    ASSERT_EQ(store.SampleCount, count);
    for (auto [position, code] : {std::pair{20, 4}, {40, -4}, {250, 5}}) AddEventMark(store, position, code);
    Write(QStringLiteral("upload-") + RateName(rate));
}

// Real time at 100 ms with no-data runs of 0.3 s, 2 s and 47 s (longer
// than any run the sequence numbers can reveal, as after a resynchronised
// link), numbered events and value-initialization points.
TEST_F(SnirfRecordFiles, RecordWithLongGaps) {
    BeginRecord(1, {2026, 12, 9, 14, 30, 5, 250});
    const std::pair<int, int> gaps[] = {{300, 3}, {800, 20}, {1200, 470}};  // first position, count
    for (int i = 0; i < 2000; ++i) {
        bool lost = false;
        for (auto [first, count] : gaps) lost |= i >= first && i < first + count;
        MEAS_DATA_TYPE sample = WaveSample(i, lost);
        if (i == 0 || i == 1700) sample.ch[0].status |= StatusInitPoint;
        AppendSample(store, sample);
    }
    for (auto [position, code] : {std::pair{50, 1}, {90, -1}, {290, 2}, {1100, -2}, {1800, 3}})
        AddEventMark(store, position, code);
    Write(QStringLiteral("realtime-gaps-100ms"));
}

// At 5000 ms: failed calculations ("E" with OXHb = DXHb = 0) in one channel,
// an error flag that keeps its values in the other, marks of every pairing
// (a repeated end, two starts before their ends, an end with no start, a
// start with no end) and a lost last sample.
TEST_F(SnirfRecordFiles, RecordWithErrorsAndUnpairedMarks) {
    BeginRecord(SlowestRate, {2026, 12, 9, 14, 30, 5, 0});
    for (int i = 0; i < 40; ++i) {
        MEAS_DATA_TYPE sample = WaveSample(i, i == 39);
        if (i >= 10 && i < 13) sample.ch[0] = {StatusHaemoglobinCalcError, 0, 0, 0, 0.64f, 0, 0, {}};
        if (i == 20) sample.ch[1].status = 0x0001;  // a detector's error; the sensor still gave values
        AppendSample(store, sample);
    }
    for (auto [position, code] : {std::pair{2, -3}, {4, 1}, {8, -1}, {14, -1}, {16, 2}, {18, 2}, {22, -2}, {26, -2},
                                  {30, 4}, {33, -3}})
        AddEventMark(store, position, code);
    Write(QStringLiteral("realtime-errors-5000ms"));
}

INSTANTIATE_TEST_SUITE_P(Rates, SnirfRecordFiles, ::testing::Values(FastestRate, SlowestRate),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "Every" + std::to_string(RateTable[info.param]) + "ms";
                         });

}  // namespace
