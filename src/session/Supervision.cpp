// The 500 ms supervision tick: external input, silence of a running
// measurement, and the taking of event marks.
#include "data/Clock.h"
#include "data/OleDate.h"
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
}

void AcquisitionSession::SupervisionTick() {
    PollExternalInputPort();
    RetryUnwrittenEventLog();

    const bool awaitingLink = (activity_ == SessionMode::Connecting || activity_ == SessionMode::ReconnectLink ||
                               (activity_ == SessionMode::Uploading && Store.UploadActive)) &&
                              !Link.DeviceLinkReady && !Doing(SessionMode::EndingMeasurement);
    if (!awaitingLink) connectWaitTicks_ = 0;
    else if (++connectWaitTicks_ > ConnectWaitTicks) {
        if (activity_ == SessionMode::ReconnectLink) ReconnectFailed();
        else ConnectionFailed();
    }
    if (activity_ == SessionMode::WaitingForUploadScan && ++uploadScanWaitTicks_ > UploadScanWaitTicks)
        UploadScanTimedOut();

    const bool streaming = activity_ == SessionMode::Measuring || activity_ == SessionMode::SensorCheck;
    const bool reconnecting = activity_ == SessionMode::ReconnectScan || activity_ == SessionMode::ReconnectLink;
    // "End" stopped the sensor: its silence while the save is offered is no loss.
    if (streaming && !Doing(SessionMode::EndingMeasurement)) {
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
        FollowJournal();
        return;
    }

    Supervision.LinkLost = false;
    if (StartButtonTag() == 1 && Supervision.PendingEvent != 0) LogStorageEvent();
    Supervision.PendingEvent = 0;
    FollowJournal();
}

// The mark goes into the record at once; its line in the event log file
// follows as soon as the file takes it.
void AcquisitionSession::TakePendingEventIntoRecord() {
    const int event = Supervision.PendingEvent;
    Supervision.PendingEvent = 0;
    if (!AddEventMark(Store, Store.SampleCount - 1, event) && !eventMarksFullTold_) {
        // The event log file still gets it; the record cannot.
        eventMarksFullTold_ = true;
        NoticeAfterHandler(MsgEventMarksFull.arg(MaxEventMarks));
    }
    QueueEventLogRecord(clock_.Now(), event);
    view_->RepaintTrend();
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
    if (WUni232c1.Connect()) PollExternalInput(WUni232c1, ExternalInput, Supervision.PendingEvent);
}
