#include "link/Connection.h"

#include "link/Framing.h"
#include "link/LinkOperations.h"
#include "link/LinkState.h"

bool IsRealTimeSensorName(const QString& name) {
    return name.startsWith(QLatin1String("Tq570-")) || name.startsWith(QLatin1String("Tq580-"));
}

QStringList ConnectableDeviceNames(const QList<BleDevicePtr>& devices) {
    QStringList names;
    for (const auto& device : devices)
        if (device && device->Paired && IsRealTimeSensorName(device->DeviceName)) names << device->DeviceName;
    return names;
}

bool Connect(LinkState& link, BleCentral& central) {
    if (link.ScanDeviceList.isEmpty()) return false;
    BleDevicePtr found;
    for (const auto& device : link.ScanDeviceList) {
        if (device && device->DeviceName == link.TargetDeviceName) {
            found = device;
            break;
        }
    }
    if (!found) return false;
    link.ActiveDevice = found;
    if (!central.DiscoverServices(found)) return false;

    BleCharacteristicPtr notify;
    BleCharacteristicPtr write;
    bool serviceFound = false;
    for (const auto& service : found->Services) {
        if (!service || service->UUID != UartServiceUuid) continue;
        serviceFound = true;
        for (const auto& characteristic : service->Characteristics) {
            if (!characteristic) continue;
            if (characteristic->UUID == UartNotifyUuid) notify = characteristic;
            if (characteristic->UUID == UartWriteUuid) write = characteristic;
        }
    }
    link.NotifyCharacteristic = notify;
    link.WriteCharacteristic = write;
    return serviceFound && notify && write;
}

void CompleteConnection(LinkState& link, BleCentral& central, const Clock& clock, const BleDevicePtr& sender) {
    if (!sender || sender != link.ActiveDevice) return;
    link.DeviceLinkReady = true;
    EnableNotify(link, central, true);
    SendCommand(link, central, clock, link.PendingCommand, true);
}
