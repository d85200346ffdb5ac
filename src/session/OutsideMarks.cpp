// Marks that other programs send: taken under the conditions the
// supervision tick takes a key's mark, but at once, so two marks sent in
// quick succession both count. A key's mark still waiting stays pending.
#include "data/SampleStore.h"
#include "session/AcquisitionSession.h"

QString AcquisitionSession::TakeOutsideMark(int event) {
    const bool measuring = activity_ == SessionMode::Measuring || activity_ == SessionMode::SensorCheck ||
                           activity_ == SessionMode::ReconnectScan || activity_ == SessionMode::ReconnectLink;
    if (measuring && Store.SampleCount == 0) return QStringLiteral("no sample yet");
    if (!measuring && StartButtonTag() != 1) return QStringLiteral("not measuring");
    const bool recordHasRoom = !measuring || EventMarkCount(Store) < MaxEventMarks;

    const int keyMark = Supervision.PendingEvent;
    Supervision.PendingEvent = event;
    if (measuring) TakePendingEventIntoRecord();
    else LogStorageEvent();
    Supervision.PendingEvent = keyMark;
    return recordHasRoom ? QString() : QStringLiteral("no free event mark in the record");
}
