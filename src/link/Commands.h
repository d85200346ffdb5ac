#pragma once

#include <QString>
#include <cstdint>

class BleCentral;
class Clock;
struct LinkState;
struct SampleStore;
struct SupervisionState;

// The sensor's command texts.
inline const QString StopCommand = QStringLiteral("ED");
inline const QString ValueInitializationCommand = QStringLiteral("RS");
inline const QString RemoteOffCommand = QStringLiteral("@SDN");
inline const QString GetLogStartCommand = QStringLiteral("GS4");
inline const QString GetLogCancelCommand = QStringLiteral("GC");
inline const QString LogClearCommand = QStringLiteral("@CLR");

// "ST<rate index>" for a measurement, "CK<rate index>" for a sensor check.
QString StartCommandText(int32_t rateIndex, bool checkSensors);

// "@SS<rate index>,<advertised value>" from the storage page's combo boxes:
// the rate item i is rate index i + 1; the advertised-value item (STO2, OXHb,
// DXHb, TOHb) is sent as it is.
QString RemoteStartCommandText(int rateItem, int advertisedValueItem);

// Commands sent on connect: each asks ActiveDevice to connect and leaves its
// text in PendingCommand for the connect handler, which sends it behind the
// time-sync frame. False, with nothing changed, when the request fails at once.
bool SendStart(LinkState& link, BleCentral& central, SupervisionState& supervision, int32_t RecordRateIndex,
               bool CheckSensorsMode);
bool SendGetLogStart(LinkState& link, BleCentral& central, SupervisionState& supervision);

// Ends a real-time measurement: "ED" and notifications off unless the link
// was lost, then disconnects. Only while the link is ready.
void SendStop(LinkState& link, BleCentral& central, const SupervisionState& supervision, const Clock& clock);

// Direct commands; dropped while the link is not ready.
void SendGetLogCancel(const LinkState& link, BleCentral& central, const Clock& clock);
void SendLogClear(const LinkState& link, BleCentral& central, const Clock& clock);

// What the "Value-Initialization" button did.
enum class ResetButtonOutcome {
    SentToSensor,   // "RS" went to the live sensor; nothing stored changed
    PointInserted,  // a point went into the record: disable the button, enable "Save(&S)", repaint
    PointRefused,   // no point could go at the cursor: disable the button
    Nothing,
};

// The "Value-Initialization" button's decision: re-zero the sensor while linked, otherwise
// insert a value-initialization point at the cursor when the record allows it.
ResetButtonOutcome DecideValueInitialization(const LinkState& link, BleCentral& central, const Clock& clock,
                                    SampleStore& store, int32_t& CursorChannel, int32_t& CursorIndex);
