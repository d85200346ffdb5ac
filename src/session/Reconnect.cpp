// A link lost during a real-time measurement (a sensor fell silent, or its
// link dropped) is sought again until it is back or "End" is clicked: scan
// for the sensor, connect, start it again at the same rate; the other
// sensors go on meanwhile. Each record keeps the one timeline: the rows its
// sensor could not send meanwhile have no data, at their own times, and
// marks still land on them.
#include "data/Clock.h"
#include "data/OleDate.h"
#include "data/RecordSummary.h"
#include "link/Commands.h"
#include "link/Connection.h"
#include "session/AcquisitionSession.h"
#include "session/Diagnostics.h"
#include "session/StringTable.h"

void AcquisitionSession::LinkLostDuringMeasurement(Sensor& sensor) {
    if (!Measuring() || sensor.Phase != SensorPhase::Streaming) return;
    qCWarning(lcLink) << "the link to" << sensor.Name() << "was lost; reconnecting";
    sensor.Supervision.LinkLost = true;
    sensor.LinkLostAt =
        sensor.Store.SampleCount > 0 ? sensor.Store.Samples[sensor.Store.SampleCount - 1].time : clock_.Now();
    if (sensor.Link.DeviceLinkReady) {
        // Silent but still connected: let go of the link, which carries nothing.
        central_.Disconnect(sensor.Link.ActiveDevice);
        sensor.Link.DeviceLinkReady = false;
    }
    sensor.Decoder.RxPacketLength = 0;  // half a frame of the old link
    sensor.Phase = SensorPhase::Scanning;
    FollowSensorPhases();
    if (&sensor == &Shown()) view_->ShowStatusText(LiveStatusText(sensor.Store, MsgReconnecting));
    view_->RenderSensors();
    view_->Render();
    view_->RepaintTrend();
    ScanForLostSensors();
}

// One scan seeks every lost sensor. A discovery under way, or the watchdog's
// cancel of it, ends with the event that goes on; otherwise a new one
// starts, or the next tick tries.
void AcquisitionSession::ScanForLostSensors() {
    reconnectScanFailed_ = false;
    bool sought = false;
    for (const auto& sensor : sensors_) sought = sought || sensor->Phase == SensorPhase::Scanning;
    if (!sought || DiscoveryWatchdogRunning) return;
    if (!StartDiscovery()) reconnectScanFailed_ = true;
}

void AcquisitionSession::ReconnectWhenFound(Sensor& sensor, const QList<BleDevicePtr>& devices) {
    sensor.Link.ScanDeviceList = devices;
    if (!Connect(sensor.Link, central_) ||
        !SendStart(sensor.Link, central_, sensor.Supervision, sensor.Store.RecordRateIndex,
                   sensor.Store.CheckSensorsMode))
        return;  // not heard this time: the next scan seeks it
    qCInfo(lcLink) << sensor.Name() << "found again; connecting";
    sensor.ConnectWaitTicks = 0;
    sensor.Phase = SensorPhase::Relinking;
}

// The sensor was found but its link did not come up: seek it again.
void AcquisitionSession::ReconnectFailed(Sensor& sensor) {
    sensor.ConnectWaitTicks = 0;
    if (sensor.Link.ActiveDevice) central_.Disconnect(sensor.Link.ActiveDevice);
    sensor.Phase = SensorPhase::Scanning;
    FollowSensorPhases();
    ScanForLostSensors();
}

// The link is up, the start command went out behind the time-sync frame.
void AcquisitionSession::LinkBackForMeasurement(Sensor& sensor) {
    const bool reconnected = sensor.Phase == SensorPhase::Relinking;
    sensor.ConnectWaitTicks = 0;
    sensor.Phase = SensorPhase::Streaming;
    FollowSensorPhases();
    Controls.ResetEnabled = true;  // a sensor takes "RS" now
    if (reconnected) {
        if (!sensor.Store.CheckSensorsMode) sensor.SampleDecoder.ResumeAfterGap();
        const double seconds =
            (OleDateToMilliseconds(clock_.Now()) - OleDateToMilliseconds(sensor.LinkLostAt)) / 1000.0;
        qCInfo(lcLink) << "the link to" << sensor.Name() << "is back after" << seconds << "s";
        const QString& text = sensor.Store.CheckSensorsMode ? MsgSensorCheckReconnected : MsgReconnected;
        if (&sensor == &Shown()) view_->ShowStatusText(LiveStatusText(sensor.Store, text.arg(seconds, 0, 'f', 1)));
    }
    view_->RenderSensors();
    view_->Render();
}

// While a link is away, its record's timeline goes on in rows without data.
void AcquisitionSession::FollowTimeWhileReconnecting(Sensor& sensor) {
    if (!sensor.Store.CheckSensorsMode && FillNoDataRowsUntil(sensor.Store, clock_.Now()) > 0 && &sensor == &Shown())
        view_->RepaintTrend();
}

// The measurement's mode follows its sensors: measuring while one streams;
// otherwise a link coming up again, a search, or the first links coming up.
void AcquisitionSession::FollowSensorPhases() {
    if (!Measuring()) return;
    bool streaming = false, relinking = false, scanning = false;
    for (const auto& sensor : sensors_) {
        streaming = streaming || sensor->Phase == SensorPhase::Streaming;
        relinking = relinking || sensor->Phase == SensorPhase::Relinking;
        scanning = scanning || sensor->Phase == SensorPhase::Scanning;
    }
    if (streaming) ChangeMode(Store.CheckSensorsMode ? SessionMode::SensorCheck : SessionMode::Measuring);
    else if (relinking) ChangeMode(SessionMode::ReconnectLink);
    else if (scanning) ChangeMode(SessionMode::ReconnectScan);
    if (!streaming) Controls.ResetEnabled = false;  // "RS" has no link to go over
}
