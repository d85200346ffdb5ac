#include "link/Commands.h"

#include "data/SampleStore.h"
#include "data/SupervisionState.h"
#include "data/ValueInitialization.h"
#include "link/BleCentral.h"
#include "link/Framing.h"
#include "link/LinkOperations.h"
#include "link/LinkState.h"

namespace {

bool RequestConnection(LinkState& link, BleCentral& central) {
    if (!link.ActiveDevice) return false;
    QString error;
    return central.Connect(link.ActiveDevice, &error);
}

}  // namespace

QString StartCommandText(int32_t rateIndex, bool checkSensors) {
    return QString::asprintf(checkSensors ? "CK%.1d" : "ST%.1d", static_cast<int>(rateIndex));
}

QString RemoteStartCommandText(int rateItem, int advertisedValueItem) {
    return QString::asprintf("@SS%1d,%1d", rateItem + 1, advertisedValueItem);
}

bool SendStart(LinkState& link, BleCentral& central, SupervisionState& supervision, int32_t RecordRateIndex,
               bool CheckSensorsMode) {
    if (!RequestConnection(link, central)) return false;
    link.PendingCommand = StartCommandText(RecordRateIndex, CheckSensorsMode);
    supervision.SilenceTicks = 0;
    return true;
}

bool SendGetLogStart(LinkState& link, BleCentral& central, SupervisionState& supervision) {
    if (!RequestConnection(link, central)) return false;
    link.PendingCommand = GetLogStartCommand;
    supervision.SilenceTicks = 0;
    return true;
}

void SendStop(LinkState& link, BleCentral& central, const SupervisionState& supervision, const Clock& clock) {
    if (!link.DeviceLinkReady) return;
    // A lost link would not carry the command; just let go of the device.
    if (!supervision.LinkLost) {
        SendCommand(link, central, clock, StopCommand, false);
        EnableNotify(link, central, false);
    }
    central.Disconnect(link.ActiveDevice);
    link.DeviceLinkReady = false;
}

void SendGetLogCancel(const LinkState& link, BleCentral& central, const Clock& clock) {
    SendCommand(link, central, clock, GetLogCancelCommand, false);
}

void SendLogClear(const LinkState& link, BleCentral& central, const Clock& clock) {
    SendCommand(link, central, clock, LogClearCommand, false);
}

ResetButtonOutcome DecideValueInitialization(const LinkState& link, BleCentral& central, const Clock& clock,
                                    SampleStore& store, int32_t& CursorChannel, int32_t& CursorIndex) {
    if (link.DeviceLinkReady) {
        SendCommand(link, central, clock, ValueInitializationCommand, false);
        return ResetButtonOutcome::SentToSensor;
    }
    if (!store.InitPointsEditable) return ResetButtonOutcome::Nothing;
    return ResetHbI(store, CursorChannel, CursorIndex) ? ResetButtonOutcome::PointInserted
                                                       : ResetButtonOutcome::PointRefused;
}
