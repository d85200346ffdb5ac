#include "data/CsvTestRecords.h"

#include <QFile>
#include <QTextStream>
#include <cmath>

#include "data/OleDate.h"
#include "data/SampleStore.h"

namespace {

MEAS_DATA_TYPE Sample(int32_t index, float batt, float x, float y, float z) {
    MEAS_DATA_TYPE sample{};
    sample.index = index;
    sample.seq = static_cast<uint8_t>(index);
    sample.batt = batt;
    sample.acc[0] = x;
    sample.acc[1] = y;
    sample.acc[2] = z;
    return sample;
}

void SetChannel(CH_DATA_TYPE& channel, uint16_t status, float oxhb, float dxhb, float tohb, float sto2) {
    channel.status = status;
    channel.oxhb = oxhb;
    channel.dxhb = dxhb;
    channel.tohb = tohb;
    channel.sto2 = sto2;
}

}  // namespace

void BuildSmallRecord(SampleStore& store) {
    ResetRecord(store);
    store.RecordDeviceId = QString::fromUtf8("Tq580-123456-7\u00e99");
    store.RecordRateIndex = 5;  // 5000 ms
    store.RecordStartTime = *OleDateFromParts({2026, 12, 9, 23, 59, 30, 400});
    store.DataSaved = false;

    // A value-initialization point with event 1 started.
    auto s0 = Sample(0, 3.6f, 0.01f, -0.02f, 0.98f);
    SetChannel(s0.ch[0], StatusInitPoint, 0.0123f, -0.0045f, 0.0078f, 0.6543f);
    SetChannel(s0.ch[1], 0, 0, 0, 0, 0.641f);
    // A placeholder for a lost sample; "No data" wins over other error bits.
    auto s1 = Sample(1, 3.7f, 0, 0, 0);
    SetChannel(s1.ch[0], StatusNoData | 0x0001, 0, 0, 0, 0);
    SetChannel(s1.ch[1], StatusNoData, 0, 0, 0, 0);
    // Only bit 8 gives "E"; bits 12 and 14 alone give nothing. Two marks.
    auto s2 = Sample(2, 3.6f, 1.5f, -1.25f, 0.5f);
    SetChannel(s2.ch[0], StatusHaemoglobinCalcError, -0.1234f, 0.0567f, -0.0667f, 0.7f);
    SetChannel(s2.ch[1], StatusReferenceSample | StatusRestartRequestB, 1.2345f, -2.5f, -1.2655f, 0.55f);
    // TIME from the index, not the position; bit 15 counts in channel 1 only.
    auto s3 = Sample(7, 3.5f, -0.01f, 0, 1);
    SetChannel(s3.ch[0], 0, 0.5f, -0.25f, 0.25f, 0.6f);
    SetChannel(s3.ch[1], StatusInitPoint, -10.5f, 3.25f, -7.25f, 1.0f);
    auto s4 = Sample(8, 3.4f, 0, 0, 0);
    SetChannel(s4.ch[0], StatusInitPoint | StatusSto2CalcError, 0, 0, 0, 0.65f);
    SetChannel(s4.ch[1], 0x0001, 0.0001f, 0.0002f, 0.0003f, 0.6f);
    // More than a day after the start.
    auto s5 = Sample(17290, 3.3f, 0.25f, 0.5f, 0.75f);
    SetChannel(s5.ch[0], StatusReferenceSample | StatusRestartRequestB, 0.001f, -0.001f, 0, 0.5f);
    SetChannel(s5.ch[1], StatusNoData | StatusSto2CalcError, 0, 0, 0, 0);
    for (const auto& sample : {s0, s1, s2, s3, s4, s5}) AppendSample(store, sample);

    AddEventMark(store, 0, 1);
    AddEventMark(store, 2, -1);
    AddEventMark(store, 2, 2);
    AddEventMark(store, 4, -2);
}

void BuildLongRecord(SampleStore& store, int count) {
    ResetRecord(store);
    store.RecordDeviceId = QStringLiteral("Tq580-000001-001");
    store.RecordRateIndex = 1;
    store.RecordStartTime = *OleDateFromParts({2026, 12, 9, 8, 0, 0});
    store.DataSaved = false;
    for (int i = 0; i < count; ++i) {
        const double t = i * 0.1;
        auto sample = Sample(i, 3.7f - static_cast<float>(i) * 1e-6f, static_cast<float>(std::sin(t)) * 0.1f,
                             static_cast<float>(std::cos(t)) * 0.1f, 0.98f);
        for (int c = 0; c < 2; ++c) {
            const float oxhb = static_cast<float>(0.02 * std::sin(t * 1.3 + c));
            const float dxhb = static_cast<float>(-0.01 * std::cos(t * 0.7 + c));
            SetChannel(sample.ch[c], i % 997 == 0 ? StatusNoData : 0, oxhb, dxhb, oxhb + dxhb,
                       static_cast<float>(0.65 + 0.05 * std::sin(t * 0.01)));
        }
        if (i % 5000 == 0) sample.ch[0].status |= StatusInitPoint;
        AppendSample(store, sample);
        if (i % 1200 == 0 && i > 0) {
            const int k = i / 1200;  // events 1..9 started and ended in turn
            AddEventMark(store, i, k % 2 == 1 ? (k / 2) % 9 + 1 : -(((k - 1) / 2) % 9 + 1));
        }
    }
}

bool WriteRawIntensities(const SampleStore& store, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    QTextStream out(&file);
    out.setRealNumberPrecision(9);
    for (int32_t position = 0; position < store.SampleCount; ++position) {
        const MEAS_DATA_TYPE& sample = store.Samples[position];
        out << sample.ch[0].i770 << '\t' << sample.ch[0].i830 << '\t' << sample.ch[1].i770 << '\t'
            << sample.ch[1].i830 << '\n';
    }
    out.flush();
    return out.status() == QTextStream::Ok && file.error() == QFile::NoError;
}

QString FixturePath(const QString& name) {
    return QString::fromLocal8Bit(qgetenv("TQ580_FIXTURES")) + QLatin1Char('/') + name;
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteFileBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
