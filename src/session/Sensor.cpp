#include "session/Sensor.h"

#include "view/ViewState.h"

Sensor::Sensor(SensorOwner& owner, const Clock& clock, const TrendViewState& view, const QString& journalFolder)
    : SampleDecoder(PacketDecoderContext{Store, Supervision, Link.TargetDeviceName, view.LiveReview, view.EntireView,
                                         clock, *this}),
      JournalOfRecord(journalFolder),
      owner_(owner) {
    Store.DataSaved = true;
    ResetRecord(Store);
    Store.RecordFull = false;
    Store.SequenceGap = false;
    Decoder.RxPacketLength = 0;
    Link.DeviceLinkReady = false;
    Supervision = {};
}

QString SensorPhaseText(SensorPhase phase) {
    switch (phase) {
        case SensorPhase::Idle: return QString();
        case SensorPhase::Connecting: return QStringLiteral("connecting");
        case SensorPhase::Streaming: return QStringLiteral("measuring");
        case SensorPhase::Scanning: return QStringLiteral("lost");
        case SensorPhase::Relinking: return QStringLiteral("reconnecting");
    }
    return QString();
}

void Sensor::BeginRecord() {
    Decoder.RxPacketLength = 0;
    ResetRecord(Store);
    Store.ReceivedDeviceId.clear();
    Store.DataSaved = true;
    Store.RecordFull = false;
    Store.SequenceGap = false;
    HeldMarks.clear();
    EventMarksFullTold = false;
    // The message panel reads the newest sample's status: none of the old record's.
    for (CH_DATA_TYPE& channel : Store.CurrentSample.ch) channel.status = 0;
}
