#pragma once

class BleCentral;
struct LinkState;

// The link-level steps every connection uses, on ActiveDevice.

// Switches notifications of NotifyCharacteristic; only while the link is ready.
void EnableNotify(const LinkState& link, BleCentral& central, bool enable);

// Notifications off, ActiveDevice disconnected, DeviceLinkReady cleared;
// only while the link is ready.
void Disconnect(LinkState& link, BleCentral& central);
