#pragma once

#include <QList>
#include <QString>

#include "data/PacketDecoder.h"
#include "data/SampleStore.h"
#include "data/SupervisionState.h"
#include "journal/JournalChanges.h"
#include "journal/JournalFormat.h"
#include "link/Framing.h"
#include "link/LinkState.h"

class Clock;
class Sensor;
struct TrendViewState;

// What a sensor's part asks of the session that holds it.
class SensorOwner {
public:
    virtual ~SensorOwner() = default;
    // A measurement or an upload wants this sensor's packets now.
    virtual bool PacketsWanted(const Sensor& sensor) const = 0;
    // The sensor's record grew: repaint, follow the upload, show the status.
    virtual void RecordGrew(Sensor& sensor) = 0;
    virtual void UploadProgressed(Sensor& sensor) = 0;
    virtual void RecordStatusText(Sensor& sensor, const QString& text) = 0;
};

// Where a sensor's link stands during a measurement.
enum class SensorPhase {
    Idle,        // no link asked for
    Connecting,  // a link was asked for; not up yet
    Streaming,   // up: samples come in
    Scanning,    // lost: the sensor is sought again
    Relinking,   // lost, found again: its new link is coming up
};

// The phase as the user reads it: "connecting", "measuring", "lost",
// "reconnecting"; empty when idle.
QString SensorPhaseText(SensorPhase phase);

// One sensor as the session uses it: its link, the decoding of its byte
// stream, its supervision and reconnect, its record and the record's crash
// journal. The session holds one per sensor it measures and drives them all
// from one clock; with one sensor, this is all there is.
class Sensor : private FrameSink, private PacketDecoderListener {
public:
    Sensor(SensorOwner& owner, const Clock& clock, const TrendViewState& view, const QString& journalFolder);
    Sensor(const Sensor&) = delete;
    Sensor& operator=(const Sensor&) = delete;

    // The bytes of one notification.
    void Feed(const QByteArray& value) { Decoder.Feed(value, *this); }
    QString Name() const { return Link.TargetDeviceName; }
    // The record begins, empty, for a new measurement or upload.
    void BeginRecord();

    SampleStore Store;
    LinkState Link;
    FrameDecoder Decoder;
    SupervisionState Supervision;
    PacketDecoder SampleDecoder;

    SensorPhase Phase = SensorPhase::Idle;
    double LinkLostAt = 0;          // the last sample before the link was lost
    int ConnectWaitTicks = 0;       // supervision ticks spent waiting for a link to come up
    bool EventMarksFullTold = false;  // once per record: its marks are all used
    QList<EVENT_MARK_TYPE> HeldMarks;  // marks of rows still to come, in order

    // The crash journal of the record.
    JournalChanges JournalOfRecord;
    bool Journalling = false;      // the record has a journal
    bool JournalBehind = false;    // the disk did not take the last batch: the next tick tries again
    bool JournalFailureShown = false;
    JournalKind KindOfJournal = JournalKind::Measurement;

private:
    bool PacketsWanted() const override { return owner_.PacketsWanted(*this); }
    void PacketReceived(const uint8_t* packet, int32_t length, int32_t left) override {
        SampleDecoder.CheckPacket(packet, length, left);
    }
    void RepaintTrend() override { owner_.RecordGrew(*this); }
    void UpdateProgress() override { owner_.UploadProgressed(*this); }
    void ShowStatusText(const QString& text) override { owner_.RecordStatusText(*this, text); }

    SensorOwner& owner_;
};
