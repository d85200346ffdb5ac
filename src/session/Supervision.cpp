// The 500 ms supervision tick: external input, silence of a running
// measurement, and the taking of event marks.
#include "data/Clock.h"
#include "data/OleDate.h"
#include "prompts/Prompts.h"
#include "serial/ExternalInputPort.h"
#include "session/AcquisitionSession.h"
#include "session/StringTable.h"
#include "storage/EventLog.h"

namespace {
constexpr int32_t SilentTicksBeforeLost = 20;
}

void AcquisitionSession::SupervisionTick() {
    PollExternalInputPort();

    if (ConnectButtonTag == 1 && Link.DeviceLinkReady) {
        if (Store.SampleCount != 0) Supervision.SilenceTicks++;
        if (Supervision.SilenceTicks > SilentTicksBeforeLost && !Supervision.LinkLost) {
            Supervision.LinkLost = true;
            view_->RepaintTrend();
        }
        if (Store.SampleCount == 0) {
            Supervision.PendingEvent = 0;  // no mark before the first sample
        } else if (Supervision.PendingEvent != 0) {
            TakePendingEventIntoRecord();
        }
        return;
    }

    Supervision.LinkLost = false;
    if (StartButtonTag == 1 && Supervision.PendingEvent != 0) {
        LogStorageEvent();
        if (Supervision.PendingEvent != 0) return;  // the file could not take it: try on the next tick
    }
    Supervision.PendingEvent = 0;
}

void AcquisitionSession::TakePendingEventIntoRecord() {
    if (!AppendEventLogOrWarn(clock_.Now(), Supervision.PendingEvent)) return;
    AddEventMark(Store, Store.SampleCount - 1, Supervision.PendingEvent);
    Supervision.PendingEvent = 0;
    view_->RepaintTrend();
}

void AcquisitionSession::LogStorageEvent() {
    const double now = clock_.Now();
    const int event = Supervision.PendingEvent;
    if (!AppendEventLogOrWarn(now, event)) return;
    const QString what = event > 0 ? QStringLiteral("  Event%1Started").arg(event)
                                   : QStringLiteral("  Event%1Ended").arg(-event);
    view_->AppendLogLine(FormatClockTime(now) + what);
    Supervision.PendingEvent = 0;
}

// A mark that cannot be written stays pending and is tried again on every
// tick; the user hears of it once until a write succeeds again.
bool AcquisitionSession::AppendEventLogOrWarn(double tm, int event) {
    QString error;
    if (AppendEventLog(EventLogFileName, tm, event, &error)) {
        eventLogFailureShown_ = false;
        return true;
    }
    if (!eventLogFailureShown_) {
        eventLogFailureShown_ = true;
        prompts_.Error(MsgEventLogNotWritten.arg(error));
    }
    return false;
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
