// The 500 ms supervision tick: external input, the time-outs of the waits
// for a sensor or a disk, silence of a running link, and the taking of
// event marks into every record of the measurement.
#include <algorithm>

#include "data/Clock.h"
#include "data/OleDate.h"
#include "data/RateTable.h"
#include "prompts/Prompts.h"
#include "serial/ExternalInputPort.h"
#include "session/AcquisitionSession.h"
#include "session/Diagnostics.h"
#include "session/StringTable.h"
#include "session/WaitLimits.h"
#include "storage/EventLog.h"

void AcquisitionSession::SupervisionTick() {
    FlowInput input(*this, "the supervision tick");
    PollExternalInputPort();
    RetryUnwrittenEventLog();
    for (const auto& sensor : sensors_) WatchLinkWaits(*sensor);
    if (activity_ == SessionMode::WaitingForUploadScan && ++uploadScanWaitTicks_ > UploadScanWaitTicks)
        UploadScanTimedOut();
    FollowRemotePass();
    FollowUploadAll();
    FollowSave();

    if (Measuring()) {
        for (const auto& sensor : sensors_) SuperviseMeasurement(*sensor);
        if (reconnectScanFailed_) ScanForLostSensors();
        bool anySample = false;
        for (const auto& sensor : sensors_) anySample = anySample || sensor->Store.SampleCount != 0;
        if (!anySample) PendingEvent = 0;  // no mark before the first sample
        else if (PendingEvent != 0) TakePendingEventIntoRecords();
        for (const auto& sensor : sensors_)
            if (!sensor->Store.CheckSensorsMode) PlaceHeldMarks(*sensor, false);
        view_->RenderSensors();
        FollowJournal();
        return;
    }

    for (const auto& sensor : sensors_) sensor->Supervision.LinkLost = false;
    if (StartButtonTag() == 1 && PendingEvent != 0) LogStorageEvent();
    PendingEvent = 0;
    FollowJournal();
}

// The waits for a link and for an upload's next packet end after their time.
void AcquisitionSession::WatchLinkWaits(Sensor& sensor) {
    const bool awaitingLink =
        ((Measuring() && (sensor.Phase == SensorPhase::Connecting || sensor.Phase == SensorPhase::Relinking)) ||
         (activity_ == SessionMode::Uploading && sensor.Store.UploadActive)) &&
        !sensor.Link.DeviceLinkReady;
    if (!awaitingLink) sensor.ConnectWaitTicks = 0;
    else if (++sensor.ConnectWaitTicks > ConnectWaitTicks) {
        if (sensor.Phase == SensorPhase::Relinking) ReconnectFailed(sensor);
        else ConnectionFailed(sensor);
        return;
    }
    // An upload whose sensor falls silent has lost its link, connected or not.
    if (activity_ == SessionMode::Uploading && sensor.Store.UploadActive && sensor.Link.DeviceLinkReady &&
        ++sensor.Supervision.SilenceTicks > SilentTicksBeforeLost)
        UploadLinkLost();
}

// A streaming sensor that falls silent has lost its link; one sought again
// has its record follow the clock in rows without data.
void AcquisitionSession::SuperviseMeasurement(Sensor& sensor) {
    if (sensor.Phase == SensorPhase::Streaming) {
        if (sensor.Store.SampleCount != 0) sensor.Supervision.SilenceTicks++;
        if (sensor.Supervision.SilenceTicks > SilentTicksBeforeLost && !sensor.Supervision.LinkLost)
            LinkLostDuringMeasurement(sensor);
    } else if (sensor.Phase == SensorPhase::Scanning || sensor.Phase == SensorPhase::Relinking) {
        FollowTimeWhileReconnecting(sensor);
    }
}

int32_t AcquisitionSession::RowOfTime(const Sensor& sensor, double time) const {
    const SampleStore& store = sensor.Store;
    if (!IsValidRateIndex(store.RecordRateIndex)) return store.SampleCount - 1;
    const double start = store.SampleCount > 0 ? store.RecordStartTime : timelineStart_;
    const int64_t elapsed = OleDateToMilliseconds(time) - OleDateToMilliseconds(start);
    return static_cast<int32_t>(std::max<int64_t>(0, elapsed / RateTable[store.RecordRateIndex]));
}

void AcquisitionSession::AddMarkToRecord(Sensor& sensor, int32_t row, int event) {
    if (!AddEventMark(sensor.Store, row, event) && !sensor.EventMarksFullTold) {
        // The event log file still gets it; the record cannot. Told once a
        // measurement: the records fill together.
        bool told = false;
        for (const auto& other : sensors_) told = told || other->EventMarksFullTold;
        sensor.EventMarksFullTold = true;
        if (!told) NoticeAfterHandler(MsgEventMarksFull.arg(MaxEventMarks));
    }
    if (&sensor == &Shown()) view_->RepaintTrend();
}

// While a link is away the rows go on by the clock, and a mark belongs to
// the row of its time, which may not have come yet: it waits for it. At the
// end of the record the rows come for the marks still waiting.
void AcquisitionSession::PlaceHeldMarks(Sensor& sensor, bool recordEnds) {
    SampleStore& store = sensor.Store;
    while (!sensor.HeldMarks.isEmpty()) {
        const EVENT_MARK_TYPE mark = sensor.HeldMarks.constFirst();
        if (mark.sample >= store.SampleCount) {
            if (!recordEnds || store.SampleCount == 0) return;
            // The row after the mark's: its time makes the mark's row come.
            const double nextRowTime = MillisecondsToOleDate(
                OleDateToMilliseconds(store.RecordStartTime) + int64_t{mark.sample + 1} * RateTable[store.RecordRateIndex]);
            FillNoDataRowsUntil(store, nextRowTime);
            if (mark.sample >= store.SampleCount) {
                // The store is full: the last row takes it.
                sensor.HeldMarks.first().sample = store.SampleCount - 1;
                continue;
            }
        }
        sensor.HeldMarks.removeFirst();
        AddMarkToRecord(sensor, mark.sample, mark.code);
    }
}

// The mark goes into every record at once, on its newest row, or on the row
// of its time while that record's link is away or its sensor has not sent
// yet; its line in the event log file follows as soon as the file takes it.
void AcquisitionSession::TakePendingEventIntoRecords() {
    const int event = PendingEvent;
    PendingEvent = 0;
    for (const auto& sensor : sensors_) {
        const bool waitsForRows = sensor->Phase != SensorPhase::Streaming || sensor->Store.SampleCount == 0;
        if (waitsForRows && !sensor->Store.CheckSensorsMode) {
            const int32_t row = RowOfTime(*sensor, pendingEventTime_);
            if (row >= sensor->Store.SampleCount || !sensor->HeldMarks.isEmpty())
                sensor->HeldMarks.append({row, event});
            else
                AddMarkToRecord(*sensor, row, event);
        } else if (sensor->Store.SampleCount > 0) {
            AddMarkToRecord(*sensor, sensor->Store.SampleCount - 1, event);
        }
    }
    QueueEventLogRecord(clock_.Now(), event);
}

void AcquisitionSession::LogStorageEvent() {
    const double now = clock_.Now();
    const int event = PendingEvent;
    PendingEvent = 0;
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
    const int32_t before = PendingEvent;
    PollExternalInput(WUni232c1, ExternalInput, PendingEvent);
    if (PendingEvent != before) pendingEventTime_ = clock_.Now();
}
