// How long one paint of the trend takes at full-HD size over a full record:
// the trend must stay well under the 50 ms between notifications at the
// fastest rate, and the overview of 108000 samples well under 10 ms.
#include <benchmark/benchmark.h>

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <memory>

#include "data/RateTable.h"
#include "data/SampleStore.h"
#include "view/SensorStrip.h"
#include "view/TrendPainter.h"

namespace {

const QSize FullHd{1920, 1080};

// A full store of plausible values: slow drifts with a cardiac ripple, and
// an event mark and a value-initialization point now and then.
SampleStore& FullRecord() {
    static std::unique_ptr<SampleStore> store = [] {
        auto record = std::make_unique<SampleStore>();
        record->RecordRateIndex = 0;
        record->RecordStartTime = 45000.25;
        for (int32_t i = 0; i < MaxSamples; ++i) {
            MEAS_DATA_TYPE sample{};
            sample.index = i;
            sample.time = record->RecordStartTime + i * 50.0 / 86400000.0;
            sample.batt = 2.7f;
            const double t = i * 0.05;
            sample.acc[0] = float(0.1 * std::sin(t / 7));
            sample.acc[1] = float(0.2 * std::cos(t / 5));
            sample.acc[2] = float(1 + 0.05 * std::sin(t));
            for (int c = 0; c < 2; ++c) {
                sample.ch[c].sto2 = float(0.65 + 0.05 * std::sin(t / 60 + c));
                sample.ch[c].oxhb = float(0.1 * std::sin(t / 30) + 0.01 * std::sin(t * 7.5));
                sample.ch[c].dxhb = float(0.05 * std::cos(t / 40));
                sample.ch[c].tohb = sample.ch[c].oxhb + sample.ch[c].dxhb;
            }
            if (i % 20000 == 10000) sample.ch[0].status |= StatusInitPoint;
            AppendSample(*record, sample);
            record->CurrentSample = sample;
        }
        for (int32_t mark = 0; mark < 40; ++mark) AddEventMark(*record, 1000 + mark * 2500, mark % 2 ? -3 : 3);
        return record;
    }();
    return *store;
}

void PaintRepeatedly(benchmark::State& state, const TrendViewState& view, bool live, int averageItem) {
    const SampleStore& store = FullRecord();
    QImage image(FullHd, QImage::Format_ARGB32_Premultiplied);
    QFont font(QStringLiteral("sans-serif"));
    font.setPixelSize(13);
    TrendPaintInput input{.Store = store, .View = view, .Size = FullHd, .Font = font};
    input.Live = live;
    input.AveItem = averageItem;
    input.ScrollBarVisible = !live;
    input.ScrollBarPosition = 50000;
    image.fill(Qt::white);  // the panel's background is not the paint box's work
    for (auto _ : state) {
        QPainter painter(&image);
        benchmark::DoNotOptimize(PaintTrend(painter, input));
    }
}

// Live following, STO2 and TOHb over 11-point windows: what every notification costs.
void BM_TrendPaintLiveFullHd(benchmark::State& state) {
    TrendViewState view;
    PaintRepeatedly(state, view, true, 5);
}

// A stopped record scrolled to its middle, with a sample cursor and marks.
void BM_TrendPaintStoppedFullHd(benchmark::State& state) {
    TrendViewState view;
    view.CursorChannel = 0;
    view.CursorIndex = 50500;
    PaintRepeatedly(state, view, false, 0);
}

// The same panes side by side.
void BM_TrendPaintHorizontalFullHd(benchmark::State& state) {
    TrendViewState view;
    view.TrendArrangement = 0;
    PaintRepeatedly(state, view, true, 5);
}

// The whole record of 108000 samples on one screen.
void BM_OverviewPaintFullHd(benchmark::State& state) {
    TrendViewState view;
    view.EntireView = true;
    view.EntireViewLength = MaxSamples;
    view.ScreenSamples = FullHd.width() - 40;
    PaintRepeatedly(state, view, false, 0);
}

// Four sensors measured together: the live trend of one, with its name in
// the title, and the strip beside it that lists all four, both painted each
// time (the strip's values taken from the newest sample, as the window does).
void BM_TrendPaintLiveWithSensorStripFullHd(benchmark::State& state) {
    const SampleStore& store = FullRecord();
    QImage image(FullHd, QImage::Format_ARGB32_Premultiplied);
    QImage strip(132, 300, QImage::Format_ARGB32_Premultiplied);
    QFont font(QStringLiteral("sans-serif"));
    font.setPixelSize(13);
    TrendViewState view;
    TrendPaintInput input{.Store = store, .View = view, .Size = FullHd, .Font = font};
    input.Live = true;
    input.AveItem = 5;
    input.SensorName = QStringLiteral("Tq580-123456-002");
    image.fill(Qt::white);
    for (auto _ : state) {
        QPainter painter(&image);
        benchmark::DoNotOptimize(PaintTrend(painter, input));
        QList<SensorStripEntry> entries;
        for (int sensor = 1; sensor <= 4; ++sensor) {
            const MEAS_DATA_TYPE& newest = store.Samples[store.SampleCount - 1];
            SensorStripEntry entry;
            entry.name = QStringLiteral("Tq580-123456-%1").arg(sensor, 3, 10, QLatin1Char('0'));
            for (int c = 0; c < 2; ++c) entry.sto2[c] = newest.ch[c].sto2 * 100.0f;
            entry.batteryVolts = newest.batt;
            entry.state = sensor == 3 ? QStringLiteral("reconnecting") : QStringLiteral("measuring");
            entry.trouble = sensor == 3;
            entry.shown = sensor == 2;
            entries << entry;
        }
        strip.fill(Qt::white);
        QPainter stripPainter(&strip);
        PaintSensorStrip(stripPainter, strip.rect(), font, entries);
    }
}

// Filling the white background alone, to read the figures above against.
void BM_BackgroundFillOnlyFullHd(benchmark::State& state) {
    QImage image(FullHd, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::white);
        benchmark::DoNotOptimize(image.constBits());
    }
}

}  // namespace

BENCHMARK(BM_TrendPaintLiveFullHd)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TrendPaintStoppedFullHd)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TrendPaintHorizontalFullHd)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OverviewPaintFullHd)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TrendPaintLiveWithSensorStripFullHd)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BackgroundFillOnlyFullHd)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
