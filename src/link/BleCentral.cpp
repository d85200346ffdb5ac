#include "link/BleCentral.h"

BleServicePtr FindService(const BleDevicePtr& device, const QUuid& uuid) {
    if (!device) return nullptr;
    for (const auto& service : device->Services)
        if (service && service->UUID == uuid) return service;
    return nullptr;
}

BleCharacteristicPtr FindCharacteristic(const BleServicePtr& service, const QUuid& uuid) {
    if (!service) return nullptr;
    for (const auto& characteristic : service->Characteristics)
        if (characteristic && characteristic->UUID == uuid) return characteristic;
    return nullptr;
}
