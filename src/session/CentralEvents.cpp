// Events of the Bluetooth LE central: advertisements, the end of a
// discovery (the dispatcher of everything that needs a fresh device list),
// the connect event and the notifications, each for the sensor it concerns.
#include "data/Clock.h"
#include "link/Connection.h"
#include "session/AcquisitionSession.h"
#include "session/Diagnostics.h"
#include "session/StringTable.h"

void AcquisitionSession::DeviceDiscovered(const BleDevicePtr& device, const QByteArray& manufacturerData) {
    FlowInput input(*this, "an advertisement");
    // The table stands still while Upload all works through it.
    if (!device || activity_ == SessionMode::UploadingAll) return;
    if (!TakeAdvertisement(Devices, device->DeviceName, device->Paired, !manufacturerData.isEmpty(),
                           manufacturerData))
        return;
    if (StorageModeActive()) view_->RefreshDeviceGrid();
}

void AcquisitionSession::DiscoveryEnded(const QList<BleDevicePtr>& devices) {
    FlowInput input(*this, "the end of a discovery");
    // A remote pass works through the list its scan brought; a scan that
    // ends meanwhile (the watchdog's cancel) is left to it, and the pass
    // starts the next scan when it is done. So no sensor gets a command
    // twice in one pass, and the table is not purged under it. Upload all
    // holds the page's scans in the same way.
    if (remotePass_.active || activity_ == SessionMode::UploadingAll) return;
    PurgeDeviceTable(Devices);

    if (StorageModeActive()) {
        StorageScanEnded(devices);
        return;
    }

    // Real-time page: only a "Start" click, an upload or a lost link waits
    // for this list. The watchdog's cancel after a scan that ended by itself
    // brings a second end event, which finds nothing waiting.
    switch (activity_) {
        case SessionMode::ScanningForConnection:
            Link.ScanDeviceList = devices;
            ChooseSensorAndConnect();
            return;
        case SessionMode::WaitingForUploadScan:
            SetBusy(false);
            Link.ScanDeviceList = devices;
            UploadStart();
            return;
        default:
            break;
    }
    if (!Measuring()) return;
    // Every sensor sought again that this scan heard gets its link asked for.
    for (const auto& sensor : sensors_)
        if (sensor->Phase == SensorPhase::Scanning) ReconnectWhenFound(*sensor, devices);
    FollowSensorPhases();
    ScanForLostSensors();
}

// Only a link that the program waits for is taken; one that comes up after
// the program gave up on it is let go again.
void AcquisitionSession::DeviceConnected(const BleDevicePtr& device) {
    FlowInput input(*this, "a connect event");
    Sensor* sensor = SensorOfDevice(device);
    const bool awaited =
        sensor && !sensor->Link.DeviceLinkReady &&
        ((Measuring() && (sensor->Phase == SensorPhase::Connecting || sensor->Phase == SensorPhase::Relinking)) ||
         (activity_ == SessionMode::Uploading && sensor->Store.UploadActive) ||
         (activity_ == SessionMode::UploadingAll && sensor->Store.UploadActive && UploadOfSensor(*sensor)) ||
         (remotePass_.active && !remotePass_.current.isEmpty() && sensor == &SensorAt(0)));
    if (!awaited) {
        if (device && !(sensor && sensor->Link.DeviceLinkReady)) {
            qCInfo(lcLink) << "a link nobody waits for came up; it is let go:" << device->DeviceName;
            central_.Disconnect(device);
        }
        return;
    }
    CompleteConnection(sensor->Link, central_, clock_, device);
    if (Measuring()) LinkBackForMeasurement(*sensor);
    else if (UploadAllRun::Upload* upload = UploadOfSensor(*sensor)) UploadAllLinkUp(*upload);
}

// A link that ends before it was ever up is a connection that failed; one
// that ends while a measurement runs is reconnected; one that ends while an
// upload comes in ends the upload.
void AcquisitionSession::DeviceDisconnected(const BleDevicePtr& device) {
    FlowInput input(*this, "a disconnect event");
    Sensor* sensor = SensorOfDevice(device);
    if (!sensor) return;
    if (UploadAllRun::Upload* upload = UploadOfSensor(*sensor)) {
        UploadAllLinkEnded(*upload);
        return;
    }
    if (remotePass_.active && !remotePass_.current.isEmpty() && sensor == &SensorAt(0)) {
        Link.DeviceLinkReady = false;
        RemoteTargetDone(Decoder.ReplyReceived);
        return;
    }
    if (sensor->Link.DeviceLinkReady) {
        if (Measuring() && sensor->Phase == SensorPhase::Streaming) LinkLostDuringMeasurement(*sensor);
        else if (activity_ == SessionMode::Uploading && sensor->Store.UploadActive) UploadLinkLost();
        return;
    }
    if (Measuring() && sensor->Phase == SensorPhase::Relinking) {
        ReconnectFailed(*sensor);
        return;
    }
    ConnectionFailed(*sensor);
}

// A link that did not come up. In a measurement the sensor is sought again
// like a lost one, while another sensor takes part; when none came up, the
// start did not happen: it is called off (a late link then starts nothing)
// and the user told. An upload ends, said so.
void AcquisitionSession::ConnectionFailed(Sensor& sensor) {
    sensor.ConnectWaitTicks = 0;
    const QString name = sensor.Name();
    if (Measuring() && sensor.Phase == SensorPhase::Connecting) {
        qCWarning(lcLink) << "the link to" << name << "did not come up for the measurement";
        sensor.Link.PendingCommand.clear();
        if (sensor.Link.ActiveDevice) central_.Disconnect(sensor.Link.ActiveDevice);
        sensor.Phase = SensorPhase::Scanning;
        sensor.LinkLostAt = clock_.Now();
        bool anotherTakesPart = timelineStart_ != 0;
        for (const auto& other : sensors_)
            if (other->Phase == SensorPhase::Connecting || other->Phase == SensorPhase::Streaming) anotherTakesPart = true;
        if (anotherTakesPart) {
            FollowSensorPhases();
            ScanForLostSensors();
            return;
        }
        QStringList names;
        for (const auto& other : sensors_) {
            names << other->Name();
            other->Link.PendingCommand.clear();
            if (other->Link.ActiveDevice && other.get() != &sensor) central_.Disconnect(other->Link.ActiveDevice);
        }
        CloseExternalInput();
        ShowMeasurementOver();
        view_->RepaintTrend();
        ErrorAfterHandler(MsgUnableToConnect.arg(names.join(QStringLiteral(", "))));
        return;
    }
    if (activity_ == SessionMode::Uploading && sensor.Store.UploadActive) {
        qCWarning(lcLink) << "the link to" << name << "did not come up for the upload";
        sensor.Link.PendingCommand.clear();
        if (sensor.Link.ActiveDevice) central_.Disconnect(sensor.Link.ActiveDevice);
        sensor.Store.UploadActive = false;
        ChangeMode(SessionMode::UploadDone);
        UploadPanel.Line1 = MsgUnableToConnect.arg(name);
        UploadPanel.OkEnabled = true;
        view_->Render();
    }
}

void AcquisitionSession::CharacteristicChanged(const BleDevicePtr& device, const QUuid& characteristic,
                                               const QByteArray& value, int gattStatus) {
    FlowInput input(*this, "a notification");
    Sensor* sensor = SensorOfDevice(device);
    if (!sensor || !sensor->Link.DeviceLinkReady || (gattStatus & 0xFFFF) != 0 || characteristic != UartNotifyUuid)
        return;
    sensor->Feed(value);
    if (remotePass_.active && !remotePass_.current.isEmpty() && sensor == &SensorAt(0) && Decoder.ReplyReceived)
        RemoteTargetDone(true);
    else if (Measuring() && timelineStart_ == 0) FollowTimelineStart();
}
