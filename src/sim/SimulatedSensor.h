#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "sim/Physiology.h"
#include "sim/SensorLink.h"
#include "sim/SensorWire.h"
#include "sim/SimulationOptions.h"

class AirTime;
class SimulatedSensor;
class SimulationTime;

// What a sensor hands to the radio of the central that hears it.
class SensorRadio {
public:
    virtual ~SensorRadio() = default;
    virtual void Advertised(SimulatedSensor& sensor, const QByteArray& manufacturerData) = 0;
    virtual void ConnectionUp(SimulatedSensor& sensor) = 0;
    virtual void Notified(SimulatedSensor& sensor, const QByteArray& value) = 0;
    virtual void ConnectionLost(SimulatedSensor& sensor) = 0;
};

struct SensorTiming {
    int notificationSize = 244;
    int linkBytesPerSecond = 20000;
    int connectDelayMilliseconds = 120;
    int advertisingIntervalMilliseconds = 300;
    int advertisingPhaseMilliseconds = 0;
    // The link drops this long after a stream or an upload starts (once: a
    // stream started again after a lost link does not drop it again), and
    // the sensor stays out of range for dropForMicroseconds; negative: never.
    int64_t dropAfterMicroseconds = -1;
    int64_t dropForMicroseconds = 0;
};

// One sensor: its advertisements, its side of a connection, the command set,
// the streams, its own log store and the upload of it. Everything it does is
// computed from the time it is asked about, so the simulation runs as fast as
// its clock is moved.
class SimulatedSensor {
public:
    static constexpr int StoreCapacity = 108000;

    // sharedAir: the radio time this sensor's link shares with the central's
    // other links; null: the link's own rate alone.
    SimulatedSensor(const SimulatedSensorSpec& sensorSetup, const SensorTiming& timing, uint32_t seed,
                    SensorRadio& radio, const SimulationTime& time, AirTime* sharedAir = nullptr);

    const QString& Name() const { return name_; }
    bool Paired() const { return paired_; }

    // State, for tests and demonstrations.
    int StoredSamples() const;
    bool Logging() const { return store_.logging; }
    bool Streaming() const { return stream_.active; }
    bool Uploading() const { return upload_.active; }
    bool Connected() const { return phase_ == Phase::Connected; }
    double ClockDate() const;  // the sensor's own clock

    // Replaces the log by a finished one of this many samples, ending now.
    void FillStore(int samples, int rateIndex);

    // Misbehaviour, switched on and off from tests and demonstrations.
    void SetInRange(bool inRange);              // out of range: no advertisements, the link drops
    void DropPackets(int count);                // the next packets never leave (the sequence moves on)
    void RepeatPackets(int count);              // the next packets leave twice
    void SetSilent(bool silent);                // sends nothing: streams lose packets, an upload pauses
    void Resynchronise(int silentMilliseconds); // restarts: silent, then sequence 0 with bit 15
    void SetErrorBits(uint16_t bits);           // OR-ed into both channels' status; "ERR" advertised
    void SetLowBattery(bool low);
    void SetBadUploadHeader(bool bad);          // the upload header carries a wrong marker
    void DropLink();                            // the connection breaks now

    // The central's side.
    bool Advertising() const { return inRange_ && phase_ != Phase::Connected; }
    // When the sensor next has something to do, and since when it could
    // have done it: earlier than that while its link waits for the shared air.
    struct DueTime {
        int64_t at;
        int64_t readySince;
    };
    DueTime NextDueTime(bool scanning) const;
    void RunDue(int64_t time, bool scanning);
    void RestartAdvertising(int64_t now);
    void BeginConnect(int64_t now);
    void EndConnection(int64_t now);
    bool Connecting() const { return phase_ == Phase::Connecting; }
    void SetNotification(bool enable) { notify_ = enable; }
    void Receive(const QByteArray& write, int64_t now);
    // Changes whenever a connection comes up or ends, so that events queued
    // for an earlier connection can be recognised as stale.
    uint64_t ConnectionGeneration() const { return generation_; }

private:
    static constexpr int64_t Never = INT64_MAX;
    enum class Phase { Idle, Connecting, Connected };
    enum class DueKind { None, Connect, Stream, Link, Advertise, Drop, Return };
    struct Due {
        int64_t time;
        DueKind kind;
    };

    struct Stream {
        bool active = false;
        bool check = false;
        int rateIndex = 1;
        int64_t next = 0;
        uint8_t seq = 0;
        bool markNext = false;  // "RS": re-zero at the next sample and mark it
        double baseOxhb[2] = {};
        double baseDxhb[2] = {};
    };

    struct Store {
        bool logging = false;
        int rateIndex = 1;
        int item = 0;
        int64_t start = 0;       // due-time of sample 0
        double startDate = 0;    // the sensor's clock at sample 0
        int finishedCount = 0;   // when not logging
    };

    struct Upload {
        bool active = false;
        int total = 0;
        int next = 0;
        int rateIndex = 1;
        int64_t start = 0;
    };

    Due NextDue(bool scanning) const;
    double Seconds(int64_t time) const;
    double BatteryVolts(int64_t time) const;
    int CountAt(int64_t time) const;
    QByteArray AdvertisementAt(int64_t time) const;

    void Execute(const QByteArray& command, int64_t now);
    void SetClock(const QByteArray& text);
    void StartStream(bool check, int rateIndex, int64_t now);
    void StartLogging(int rateIndex, int item, int64_t now);
    void StartUpload(int64_t now);
    void FillStoreAt(int samples, int rateIndex, int64_t now);
    // A stream's or an upload's start schedules the drop asked for, once.
    void ArmDrop(int64_t now);
    void ClearStore(int64_t now);

    void SendStreamSample(int64_t time);
    int64_t StreamIntervalMicroseconds() const;
    void SendUploadSample(int64_t time);
    void SendLinkNotification(int64_t time);
    void QueuePacket(const QByteArray& content, int64_t time);
    void QueueReply(const char* text, int64_t time);

    QString name_;
    bool paired_;
    bool inRange_;
    SensorTiming timing_;
    Physiology body_;
    SensorRadio& radio_;
    const SimulationTime& time_;
    int64_t origin_;
    int clockDriftPpm_;
    double batteryStart_;
    double clockOffsetDays_ = 0;

    Phase phase_ = Phase::Idle;
    int64_t connectAt_ = 0;
    bool notify_ = false;
    uint64_t generation_ = 0;
    SensorLink link_;
    SensorWire::CommandReader commands_;
    int64_t nextAdvertisement_ = 0;

    Stream stream_;
    Store store_;
    Upload upload_;

    int dropCount_ = 0;
    int repeatCount_ = 0;
    bool silent_ = false;
    int64_t restartSilentUntil_ = 0;
    bool restartPending_ = false;
    uint16_t errorBits_ = 0;
    bool lowBattery_ = false;
    bool badUploadHeader_ = false;
    bool dropArmed_ = true;  // the next stream or upload start schedules the drop
    int64_t dropAt_;
    int64_t returnAt_;
};
