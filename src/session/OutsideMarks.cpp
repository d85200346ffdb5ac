// Marks that other programs send: taken under the conditions the
// supervision tick takes a key's mark, but at once, so two marks sent in
// quick succession both count. A key's mark still waiting stays pending.
#include "data/Clock.h"
#include "data/SampleStore.h"
#include "session/AcquisitionSession.h"

QString AcquisitionSession::TakeOutsideMark(int event) {
    FlowInput input(*this, "a mark from outside");
    const bool measuring = activity_ == SessionMode::Measuring || activity_ == SessionMode::SensorCheck ||
                           activity_ == SessionMode::ReconnectScan || activity_ == SessionMode::ReconnectLink;
    if (measuring && Store.SampleCount == 0) return QStringLiteral("no sample yet");
    if (!measuring && StartButtonTag() != 1) return QStringLiteral("not measuring");
    const bool recordHasRoom = !measuring || EventMarkCount(Store) + heldMarks_.size() < MaxEventMarks;

    const int keyMark = Supervision.PendingEvent;
    const double keyTime = pendingEventTime_;
    Supervision.PendingEvent = event;
    pendingEventTime_ = clock_.Now();
    if (measuring) TakePendingEventIntoRecord();
    else LogStorageEvent();
    Supervision.PendingEvent = keyMark;
    pendingEventTime_ = keyTime;
    return recordHasRoom ? QString() : QStringLiteral("no free event mark in the record");
}
