// A link lost during a real-time measurement (the sensor fell silent, or
// its link dropped) is sought again until it is back or "End" is clicked:
// scan for the same sensor, connect, start it again at the same rate. The
// record keeps one timeline: the rows the sensor could not send meanwhile
// have no data, at their own times, and marks still land on them.
#include "data/Clock.h"
#include "data/OleDate.h"
#include "data/RecordSummary.h"
#include "link/Commands.h"
#include "link/Connection.h"
#include "session/AcquisitionSession.h"
#include "session/Diagnostics.h"
#include "session/StringTable.h"

void AcquisitionSession::LinkLostDuringMeasurement() {
    if (activity_ != SessionMode::Measuring && activity_ != SessionMode::SensorCheck) return;
    qCWarning(lcLink) << "the link to" << Link.TargetDeviceName << "was lost; reconnecting";
    Supervision.LinkLost = true;
    linkLostAt_ = Store.SampleCount > 0 ? Store.Samples[Store.SampleCount - 1].time : clock_.Now();
    if (Link.DeviceLinkReady) {
        // Silent but still connected: let go of the link, which carries nothing.
        central_.Disconnect(Link.ActiveDevice);
        Link.DeviceLinkReady = false;
    }
    Decoder.RxPacketLength = 0;  // half a frame of the old link
    ChangeMode(SessionMode::ReconnectScan);
    Controls.ResetEnabled = false;  // "RS" has no link to go over
    view_->ShowStatusText(LiveStatusText(Store, MsgReconnecting));
    view_->Render();
    view_->RepaintTrend();
    ScanForLostSensor();
}

// A discovery under way, or the watchdog's cancel of it, ends with the
// event that goes on; otherwise a new one starts, or the next tick tries.
void AcquisitionSession::ScanForLostSensor() {
    reconnectScanFailed_ = false;
    if (DiscoveryWatchdogRunning) return;
    if (!StartDiscovery()) reconnectScanFailed_ = true;
}

void AcquisitionSession::ReconnectWhenFound() {
    if (!Connect(Link, central_) || !SendStart(Link, central_, Supervision, Store.RecordRateIndex,
                                               Store.CheckSensorsMode)) {
        ScanForLostSensor();
        return;
    }
    qCInfo(lcLink) << Link.TargetDeviceName << "found again; connecting";
    connectWaitTicks_ = 0;
    ChangeMode(SessionMode::ReconnectLink);
}

// The sensor was found but its link did not come up: seek it again.
void AcquisitionSession::ReconnectFailed() {
    connectWaitTicks_ = 0;
    if (Link.ActiveDevice) central_.Disconnect(Link.ActiveDevice);
    ChangeMode(SessionMode::ReconnectScan);
    ScanForLostSensor();
}

// The link is up, the start command went out behind the time-sync frame.
void AcquisitionSession::LinkBackForMeasurement() {
    const bool reconnected = activity_ == SessionMode::ReconnectLink;
    connectWaitTicks_ = 0;
    ChangeMode(Store.CheckSensorsMode ? SessionMode::SensorCheck : SessionMode::Measuring);
    Controls.ResetEnabled = true;  // the sensor takes "RS" now
    if (reconnected) {
        if (!Store.CheckSensorsMode) SampleDecoder.ResumeAfterGap();
        const double seconds = (OleDateToMilliseconds(clock_.Now()) - OleDateToMilliseconds(linkLostAt_)) / 1000.0;
        qCInfo(lcLink) << "the link to" << Link.TargetDeviceName << "is back after" << seconds << "s";
        const QString& text = Store.CheckSensorsMode ? MsgSensorCheckReconnected : MsgReconnected;
        view_->ShowStatusText(LiveStatusText(Store, text.arg(seconds, 0, 'f', 1)));
    }
    view_->Render();
}

// While the link is away, the record's timeline goes on in rows without data.
void AcquisitionSession::FollowTimeWhileReconnecting() {
    if (!Store.CheckSensorsMode && FillNoDataRowsUntil(Store, clock_.Now()) > 0) view_->RepaintTrend();
    if (activity_ == SessionMode::ReconnectScan && reconnectScanFailed_) ScanForLostSensor();
}
