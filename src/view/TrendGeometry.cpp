#include "view/TrendGeometry.h"

#include <algorithm>
#include <cmath>

#include "data/RateTable.h"
#include "data/SampleStore.h"

namespace {

constexpr int32_t Margin = 20;
constexpr int32_t FullScaleCount = 4000;
// Far enough below any pane to read as "off the bottom", near enough to stay
// a valid pixel coordinate whatever the value.
constexpr double FarBelowRows = 1 << 20;

int32_t ValidRateIndex(int32_t rateIndex) { return IsValidRateIndex(rateIndex) ? rateIndex : 1; }

}  // namespace

int32_t PaneWidthFor(int32_t width, int32_t arrangement) {
    return arrangement == VerticalArrangement ? width - 2 * Margin : (width - 3 * Margin) / 2;
}

TrendLayout ComputeTrendLayout(int32_t width, int32_t height, int32_t arrangement) {
    TrendLayout layout;
    layout.PW = PaneWidthFor(width, arrangement);
    const int32_t pw = layout.PW;
    if (arrangement == VerticalArrangement) {
        const int32_t ph = (height - 80) / 3;
        layout.PH = ph;
        layout.HH = ph;
        layout.Channel[0] = {20, 20, 20 + pw, 20 + ph};
        layout.Channel[1] = {20, ph + 40, 20 + pw, 2 * ph + 40};
        layout.Acceleration = {20, 2 * ph + 60, 20 + pw, 3 * ph + 60};
    } else {
        const int32_t ph = (height - 60) / 3;
        layout.PH = ph;
        layout.HH = 2 * ph;
        layout.Channel[0] = {20, 20, 20 + pw, 20 + 2 * ph};
        layout.Channel[1] = {pw + 40, 20, 2 * pw + 40, 20 + 2 * ph};
        layout.Acceleration = {20, 2 * ph + 40, 20 + pw, 3 * ph + 40};
    }
    layout.AH = layout.PH;
    layout.DX = layout.Channel[1].Left - layout.Channel[0].Left;
    return layout;
}

HaemoglobinScale ComputeHaemoglobinScale(int ampItem, int32_t paneHeight) {
    ampItem = std::clamp(ampItem, 0, 4);
    HaemoglobinScale scale;
    scale.Scale = std::ldexp(1.0, 2 - ampItem);
    scale.Top = 0.3 * scale.Scale;
    scale.Bottom = -0.1 * scale.Scale;
    scale.PixelsPerMM = paneHeight / (0.4 * scale.Scale);
    static constexpr int DecimalsByThird[2] = {1, 3};
    scale.Decimals = DecimalsByThird[ampItem / 3];
    return scale;
}

QString ScaleLabelText(double value, int decimals) {
    return QString::asprintf("%*.*f", decimals + 2, decimals, value);
}

int32_t FirstShownSample(bool followingLive, int32_t sampleCount, int32_t paneWidth, bool scrollBarVisible,
                         int32_t scrollPosition) {
    if (followingLive) return sampleCount > paneWidth ? sampleCount - paneWidth : 0;
    return scrollBarVisible ? std::max(scrollPosition, 0) : 0;
}

int32_t ShownColumns(int32_t first, int32_t sampleCount, int32_t paneWidth) {
    return std::max(0, std::min(paneWidth, sampleCount - first));
}

int32_t Sto2Row(double sto2, const PaneRect& pane) {
    if (std::isnan(sto2) || sto2 > 1) return pane.Top;
    const double row = std::floor(pane.Bottom - (pane.Bottom - pane.Top) * sto2);
    return static_cast<int32_t>(std::min(row, pane.Bottom + FarBelowRows));
}

int32_t ItemRow(double value, const PaneRect& pane, const HaemoglobinScale& scale) {
    if (std::isnan(value) || value > scale.Top) return pane.Top;
    if (value < scale.Bottom) return pane.Bottom;
    return static_cast<int32_t>(std::floor(pane.Top + (scale.Top - value) * scale.PixelsPerMM));
}

int32_t LevelRow(uint16_t count, const PaneRect& pane) {
    if (count > FullScaleCount) return pane.Top;
    return pane.Top + (FullScaleCount - count) * (pane.Bottom - pane.Top) / FullScaleCount;
}

int32_t AccelerationRow(double g, const PaneRect& pane) {
    if (std::isnan(g)) return pane.Top;
    const int32_t middle = (pane.Top + pane.Bottom) / 2;
    const double row = std::floor(middle - (pane.Bottom - pane.Top) * g / 4);
    return static_cast<int32_t>(std::clamp(row, double(pane.Top), double(pane.Bottom)));
}

int32_t TrendGridStep(int32_t rateIndex) { return ValidRateIndex(rateIndex) <= 2 ? 100 : 120; }

int32_t FirstGridColumn(int32_t first, int32_t step) { return step - first % step; }

int64_t ElapsedSecondsAt(int32_t sampleIndex, int32_t rateIndex) {
    return int64_t(RateTable[ValidRateIndex(rateIndex)]) * sampleIndex / 1000;
}

int32_t OverviewSample(int32_t column, int32_t length, int32_t paneWidth) {
    return static_cast<int32_t>(std::floor((column + 0.5) * length / paneWidth));
}

int32_t OverviewColumn(int32_t sampleIndex, int32_t length, int32_t paneWidth) {
    return static_cast<int32_t>(std::floor(double(sampleIndex) / length * paneWidth));
}

uint32_t OverviewTimeSpan(int32_t length, int32_t paneWidth, int32_t rateIndex) {
    const double secondsPerSample = RateTable[ValidRateIndex(rateIndex)] / 1000.0;
    const int32_t columns = length > paneWidth ? length : std::max(paneWidth, 0);
    return static_cast<uint32_t>(std::floor(columns * secondsPerSample));
}

uint32_t CalcTimeGrid(uint32_t tmax, int32_t screenSamples) {
    static constexpr uint32_t BaseSteps[] = {1, 5, 10, 20, 30};
    static constexpr uint32_t HourSteps[] = {1, 2, 3, 4, 6, 12, 24};
    // Before the first trend paint there is no screen width yet; one column
    // then stands for it rather than a division by zero.
    const uint64_t columns = static_cast<uint64_t>(std::max(screenSamples, 1));
    const uint64_t q = uint64_t(tmax) * 100 / columns;
    if (q <= 30) {
        for (uint32_t step : BaseSteps)
            if (step >= q) return step;
    }
    if (q <= 1800) {
        for (uint32_t step : BaseSteps)
            if (step * 60 >= q) return step * 60;
    }
    if (q <= 86400) {
        for (uint32_t step : HourSteps)
            if (step * 3600 >= q) return step * 3600;
    }
    return 86400;
}

int32_t OverviewGridColumn(int64_t k, uint32_t step, uint32_t tmax, int32_t paneWidth) {
    return static_cast<int32_t>(std::floor(double(k) * step / tmax * paneWidth));
}

int32_t ScrollSmallStep(int32_t maximum) {
    if (maximum < 20) return 1;
    if (maximum < 200) return 10;
    return 50;
}

ScrollRange ScrollRangeRule(int32_t sampleCount, int32_t screenSamples) {
    ScrollRange range;
    if (sampleCount <= screenSamples) return range;
    range.Visible = true;
    range.Maximum = sampleCount - screenSamples;
    range.SingleStep = ScrollSmallStep(range.Maximum);
    return range;
}

CursorHit SampleUnderPointer(const TrendLayout& layout, int32_t x, int32_t y, int32_t firstSample,
                             int32_t sampleCount) {
    for (int32_t channel = 0; channel < 2; ++channel) {
        const PaneRect& pane = layout.Channel[channel];
        if (!pane.StrictlyContains(x, y)) continue;
        const int32_t sample = x - pane.Left + firstSample;
        if (sample < sampleCount) return {channel, sample};
    }
    return {};
}

bool CursorMayTakeInitPoint(const SampleStore& store, int32_t cursorIndex) {
    if (cursorIndex <= 1 || cursorIndex >= store.SampleCount - 2 || !store.InitPointsEditable) return false;
    for (int32_t i = cursorIndex - 2; i <= cursorIndex; ++i)
        if (store.Samples[i].ch[0].status & StatusInitPoint) return false;
    return true;
}
