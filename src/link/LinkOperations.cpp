#include "link/LinkOperations.h"

#include "link/BleCentral.h"
#include "link/LinkState.h"

void EnableNotify(const LinkState& link, BleCentral& central, bool enable) {
    if (!link.DeviceLinkReady) return;
    central.SetCharacteristicNotification(link.ActiveDevice, link.NotifyCharacteristic, enable);
}

void Disconnect(LinkState& link, BleCentral& central) {
    if (!link.DeviceLinkReady) return;
    EnableNotify(link, central, false);
    central.Disconnect(link.ActiveDevice);
    link.DeviceLinkReady = false;
}
