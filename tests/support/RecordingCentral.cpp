#include "support/RecordingCentral.h"

void RecordingCentral::WriteCharacteristic(const BleDevicePtr& device,
                                           const BleCharacteristicPtr& characteristic,
                                           const QByteArray& value) {
    writes.append({device, characteristic, value});
}
