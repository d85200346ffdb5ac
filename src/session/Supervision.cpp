// The 500 ms supervision tick: external input, the time-outs of the waits
// for a sensor or a disk, silence of a running link, and the taking of
// event marks.
#include <algorithm>

#include "data/Clock.h"
#include "data/OleDate.h"
#include "data/RateTable.h"
#include "prompts/Prompts.h"
#include "serial/ExternalInputPort.h"
#include "session/AcquisitionSession.h"
#include "session/Diagnostics.h"
#include "session/StringTable.h"
#include "storage/EventLog.h"

namespace {
constexpr int32_t SilentTicksBeforeLost = 20;
// A link that is not up after this many ticks (20 s, past the platform's
// own connect time-out) will not come.
constexpr int32_t ConnectWaitTicks = 40;
// An upload waits this long (15 s: a scan and its watchdog, and more) for a
// scan to end before it gives up.
constexpr int32_t UploadScanWaitTicks = 30;
}  // namespace

void AcquisitionSession::SupervisionTick() {
    FlowInput input(*this, "the supervision tick");
    PollExternalInputPort();
    RetryUnwrittenEventLog();
    WatchLinkWaits();
    FollowRemotePass();
    FollowSave();

    const bool streaming = activity_ == SessionMode::Measuring || activity_ == SessionMode::SensorCheck;
    const bool reconnecting = activity_ == SessionMode::ReconnectScan || activity_ == SessionMode::ReconnectLink;
    if (streaming) {
        if (Store.SampleCount != 0) Supervision.SilenceTicks++;
        if (Supervision.SilenceTicks > SilentTicksBeforeLost && !Supervision.LinkLost) LinkLostDuringMeasurement();
    }
    if (reconnecting) FollowTimeWhileReconnecting();
    if (streaming || reconnecting) {
        if (Store.SampleCount == 0) {
            Supervision.PendingEvent = 0;  // no mark before the first sample
        } else if (Supervision.PendingEvent != 0) {
            TakePendingEventIntoRecord();
        }
        if (!Store.CheckSensorsMode) PlaceHeldMarks(false);
        FollowJournal();
        return;
    }

    Supervision.LinkLost = false;
    if (StartButtonTag() == 1 && Supervision.PendingEvent != 0) LogStorageEvent();
    Supervision.PendingEvent = 0;
    FollowJournal();
}

// The waits for a link, for a scan and for an upload's next packet end
// after their time.
void AcquisitionSession::WatchLinkWaits() {
    const bool awaitingLink = (activity_ == SessionMode::Connecting || activity_ == SessionMode::ReconnectLink ||
                               (activity_ == SessionMode::Uploading && Store.UploadActive)) &&
                              !Link.DeviceLinkReady;
    if (!awaitingLink) connectWaitTicks_ = 0;
    else if (++connectWaitTicks_ > ConnectWaitTicks) {
        if (activity_ == SessionMode::ReconnectLink) ReconnectFailed();
        else ConnectionFailed();
    }
    if (activity_ == SessionMode::WaitingForUploadScan && ++uploadScanWaitTicks_ > UploadScanWaitTicks)
        UploadScanTimedOut();
    // An upload whose sensor falls silent has lost its link, connected or not.
    if (activity_ == SessionMode::Uploading && Store.UploadActive && Link.DeviceLinkReady &&
        ++Supervision.SilenceTicks > SilentTicksBeforeLost)
        UploadLinkLost();
}

int32_t AcquisitionSession::RowOfTime(double time) const {
    if (!IsValidRateIndex(Store.RecordRateIndex)) return Store.SampleCount - 1;
    const int64_t elapsed = OleDateToMilliseconds(time) - OleDateToMilliseconds(Store.RecordStartTime);
    return static_cast<int32_t>(std::max<int64_t>(0, elapsed / RateTable[Store.RecordRateIndex]));
}

void AcquisitionSession::AddMarkToRecord(int32_t row, int event) {
    if (!AddEventMark(Store, row, event) && !eventMarksFullTold_) {
        // The event log file still gets it; the record cannot.
        eventMarksFullTold_ = true;
        NoticeAfterHandler(MsgEventMarksFull.arg(MaxEventMarks));
    }
    view_->RepaintTrend();
}

// While the link is away the rows go on by the clock, and a mark belongs to
// the row of its time, which may not have come yet: it waits for it. At the
// end of the record the rows come for the marks still waiting.
void AcquisitionSession::PlaceHeldMarks(bool recordEnds) {
    while (!heldMarks_.isEmpty()) {
        const EVENT_MARK_TYPE mark = heldMarks_.constFirst();
        if (mark.sample >= Store.SampleCount) {
            if (!recordEnds) return;
            // The row after the mark's: its time makes the mark's row come.
            const double nextRowTime = MillisecondsToOleDate(
                OleDateToMilliseconds(Store.RecordStartTime) + int64_t{mark.sample + 1} * RateTable[Store.RecordRateIndex]);
            FillNoDataRowsUntil(Store, nextRowTime);
            if (mark.sample >= Store.SampleCount) {
                // The store is full: the last row takes it.
                heldMarks_.first().sample = Store.SampleCount - 1;
                continue;
            }
        }
        heldMarks_.removeFirst();
        AddMarkToRecord(mark.sample, mark.code);
    }
}

// The mark goes into the record at once, or to the row of its time while the
// link is away; its line in the event log file follows as soon as the file
// takes it.
void AcquisitionSession::TakePendingEventIntoRecord() {
    const int event = Supervision.PendingEvent;
    Supervision.PendingEvent = 0;
    const bool linkAway = activity_ == SessionMode::ReconnectScan || activity_ == SessionMode::ReconnectLink;
    if (linkAway && !Store.CheckSensorsMode) {
        const int32_t row = RowOfTime(pendingEventTime_);
        if (row >= Store.SampleCount || !heldMarks_.isEmpty()) heldMarks_.append({row, event});
        else AddMarkToRecord(row, event);
    } else {
        AddMarkToRecord(Store.SampleCount - 1, event);
    }
    QueueEventLogRecord(clock_.Now(), event);
}

void AcquisitionSession::LogStorageEvent() {
    const double now = clock_.Now();
    const int event = Supervision.PendingEvent;
    Supervision.PendingEvent = 0;
    QueueEventLogRecord(now, event);
    const QString what = event > 0 ? QStringLiteral("  Event%1Started").arg(event)
                                   : QStringLiteral("  Event%1Ended").arg(-event);
    view_->AppendLogLine(FormatClockTime(now) + what);
}

void AcquisitionSession::QueueEventLogRecord(double tm, int event) {
    ++unwrittenEventLogMarks_;  // until the writer thread reports
    diskWriter_.AppendEventLog(EventLogFileName, tm, event);
}

// Marks that the file could not take are tried again on every tick, in
// their order, by the writer thread.
void AcquisitionSession::RetryUnwrittenEventLog() {
    if (unwrittenEventLogMarks_ > 0) diskWriter_.RetryEventLog(EventLogFileName);
}

// The user hears of a failing event log file once, until a write succeeds again.
void AcquisitionSession::EventLogWritten(int unwritten, bool durable, const QString& error) {
    FlowInput input(*this, "the disk's report");
    unwrittenEventLogMarks_ = unwritten;
    unwrittenEventLogDurable_ = durable;
    if (error.isEmpty()) {
        eventLogFailureShown_ = false;
        return;
    }
    if (eventLogFailureShown_) return;
    eventLogFailureShown_ = true;
    ErrorAfterHandler(MsgEventLogNotWritten.arg(error));
}

// The port named on a page is opened at the start of a measurement or an
// event log; false (the user told) when the start must not happen.
bool AcquisitionSession::OpenExternalInputForStart(bool auxin, const QString& port) {
    return OpenExternalInputPort(WUni232c1, auxin, port, prompts_);
}

void AcquisitionSession::CloseExternalInput() {
    if (WUni232c1.Connect()) WUni232c1.Close();
}

void AcquisitionSession::PollExternalInputPort() {
    if (!WUni232c1.Connect()) return;
    const int32_t before = Supervision.PendingEvent;
    PollExternalInput(WUni232c1, ExternalInput, Supervision.PendingEvent);
    if (Supervision.PendingEvent != before) pendingEventTime_ = clock_.Now();
}
