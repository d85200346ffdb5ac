// The 500 ms supervision tick: external input, silence of a running
// measurement, and the taking of event marks.
#include "prompts/Prompts.h"
#include "app/StringTable.h"
#include "app/TForm1.h"
#include "data/Clock.h"
#include "data/OleDate.h"
#include "storage/EventLog.h"

namespace {
constexpr int32_t SilentTicksBeforeLost = 20;
}

void TForm1::Timer1Timer() {
    PollExternalInputPort();

    if (ConnectButtonTag == 1 && Link.DeviceLinkReady) {
        if (Store.SampleCount != 0) Supervision.SilenceTicks++;
        if (Supervision.SilenceTicks > SilentTicksBeforeLost && !Supervision.LinkLost) {
            Supervision.LinkLost = true;
            RepaintTrend();
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

void TForm1::TakePendingEventIntoRecord() {
    if (!AppendEventLogOrWarn(clock_.Now(), Supervision.PendingEvent)) return;
    AddEventMark(Store, Store.SampleCount - 1, Supervision.PendingEvent);
    Supervision.PendingEvent = 0;
    RepaintTrend();
}

void TForm1::LogStorageEvent() {
    const double now = clock_.Now();
    const int event = Supervision.PendingEvent;
    if (!AppendEventLogOrWarn(now, event)) return;
    const QString what = event > 0 ? QStringLiteral("  Event%1Started").arg(event)
                                   : QStringLiteral("  Event%1Ended").arg(-event);
    LogMemo->appendPlainText(FormatClockTime(now) + what);
    Supervision.PendingEvent = 0;
}

// A mark that cannot be written stays pending and is tried again on every
// tick; the user hears of it once until a write succeeds again.
bool TForm1::AppendEventLogOrWarn(double tm, int event) {
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
