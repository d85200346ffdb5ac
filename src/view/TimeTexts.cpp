#include "view/TimeTexts.h"

#include "data/OleDate.h"
#include "data/RateTable.h"
#include "data/SampleStore.h"
#include "view/ReadOuts.h"

QString ElapsedText(int64_t seconds) {
    QString sign;
    if (seconds < 0) {
        sign = QStringLiteral("-");
        seconds = -seconds;
    }
    return sign + QString::asprintf("%lld:%02d:%02d", static_cast<long long>(seconds / 3600),
                                    static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
}

QString ClockTextAfter(double startTime, int64_t seconds) {
    return FormatClockTime(startTime + seconds / 86400.0);
}

QString TimeLabelText(const SampleStore& store) { return FormatDuration(store.CurrentSample.time - store.RecordStartTime); }

QString CursorCaption(const SampleStore& store, int32_t channel, int32_t sampleIndex) {
    const int32_t rateIndex = IsValidRateIndex(store.RecordRateIndex) ? store.RecordRateIndex : 1;
    const int64_t milliseconds = int64_t(RateTable[rateIndex]) * sampleIndex;
    const int hundredths = static_cast<int>(milliseconds % 1000 / 10);
    QString caption = ChannelTitles[channel == 1 ? 1 : 0] + ' ' + ClockTextAfter(store.RecordStartTime, milliseconds / 1000);
    if (hundredths != 0) caption += QString::asprintf(".%.2d", hundredths);
    return caption;
}
