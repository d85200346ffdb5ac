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
    bool anySample = false;
    bool recordHasRoom = true;
    for (const auto& sensor : sensors_) {
        anySample = anySample || sensor->Store.SampleCount != 0;
        if (EventMarkCount(sensor->Store) + sensor->HeldMarks.size() >= MaxEventMarks) recordHasRoom = false;
    }
    if (measuring && !anySample) return QStringLiteral("no sample yet");
    if (!measuring && StartButtonTag() != 1) return QStringLiteral("not measuring");
    recordHasRoom = recordHasRoom || !measuring;

    const int keyMark = PendingEvent;
    const double keyTime = pendingEventTime_;
    PendingEvent = event;
    pendingEventTime_ = clock_.Now();
    if (measuring) TakePendingEventIntoRecords();
    else LogStorageEvent();
    PendingEvent = keyMark;
    pendingEventTime_ = keyTime;
    return recordHasRoom ? QString() : QStringLiteral("no free event mark in the record");
}
