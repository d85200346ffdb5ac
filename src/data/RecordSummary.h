#pragma once

#include <QString>

struct SampleStore;

// The status bar's summary of a finished record:
// "DeviceID[ id ]    Start[ yyyy/mm/dd hh:nn:ss ]    Rate[ 0.1sec ]    Count[ n ]".
// A rate without a label (index 0) leaves the brackets empty.
QString RecordSummaryText(const SampleStore& store);

// The status bar while a real-time record is made:
// "DeviceID[ id ]    Start[ yyyy/mm/dd hh:nn:ss ]    Rate[ 0.1sec ]", an
// ideographic space, then what is happening ("Measuring...").
QString LiveStatusText(const SampleStore& store, const QString& state);
