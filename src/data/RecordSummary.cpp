#include "data/RecordSummary.h"

#include "data/OleDate.h"
#include "data/RateTable.h"
#include "data/SampleStore.h"

QString RecordSummaryText(const SampleStore& store) {
    const int rate = store.RecordRateIndex;
    return QStringLiteral("DeviceID[ ") + store.RecordDeviceId + QStringLiteral(" ]    Start[ ") +
           FormatDateTime(store.RecordStartTime) + QStringLiteral(" ]    Rate[ ") +
           (IsValidRateIndex(rate) ? QString::fromLatin1(RateLabels[rate]) : QString()) +
           QStringLiteral(" ]    Count[ ") + QString::number(store.SampleCount) + QStringLiteral(" ]");
}

QString LiveStatusText(const SampleStore& store, const QString& state) {
    const int rate = store.RecordRateIndex;
    return QStringLiteral("DeviceID[ ") + store.ReceivedDeviceId + QStringLiteral(" ]    Start[ ") +
           FormatDateTime(store.RecordStartTime) + QStringLiteral(" ]    Rate[ ") +
           (IsValidRateIndex(rate) ? QString::fromLatin1(RateLabels[rate]) : QString()) + QStringLiteral(" ]\u3000") +
           state;
}
