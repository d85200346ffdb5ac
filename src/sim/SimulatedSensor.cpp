#include "sim/SimulatedSensor.h"

#include <algorithm>
#include <limits>

#include "data/OleDate.h"
#include "data/RateTable.h"
#include "sim/SimulationTime.h"

namespace {

int64_t IntervalMicroseconds(int rateIndex) {
    return static_cast<int64_t>(RateTable[IsValidRateIndex(rateIndex) ? rateIndex : 1]) * 1000;
}

}  // namespace

SimulatedSensor::SimulatedSensor(const SimulatedSensorSpec& sensorSetup, const SensorTiming& timing, uint32_t seed,
                                 SensorRadio& radio, const SimulationTime& time, AirTime* sharedAir)
    : name_(sensorSetup.name),
      paired_(sensorSetup.paired),
      inRange_(sensorSetup.inRange),
      timing_(timing),
      body_(seed),
      radio_(radio),
      time_(time),
      origin_(time.NowMicroseconds()),
      clockDriftPpm_(sensorSetup.clockDriftPpm),
      batteryStart_(sensorSetup.batteryVolts),
      link_(timing.notificationSize, timing.linkBytesPerSecond, sharedAir),
      dropAt_(Never),
      returnAt_(Never) {
    store_.item = std::clamp(sensorSetup.advertisedItem, 0, 3);
    // From the sensor's own origin, so its log holds the same samples in every run.
    if (sensorSetup.storedSamples > 0) FillStoreAt(sensorSetup.storedSamples, sensorSetup.storedRateIndex, origin_);
    if (sensorSetup.logging) {
        // Logging since long enough to have the given samples by now.
        store_.logging = true;
        store_.rateIndex = IsValidRateIndex(sensorSetup.storedRateIndex) ? sensorSetup.storedRateIndex : 1;
        const int64_t back = std::max(sensorSetup.storedSamples - 1, 0) * IntervalMicroseconds(store_.rateIndex);
        store_.start = origin_ - back;
        store_.startDate = ClockDate() - static_cast<double>(back) / 1000.0 / MillisecondsPerDay;
    }
    RestartAdvertising(origin_);
}

double SimulatedSensor::Seconds(int64_t time) const { return static_cast<double>(time - origin_) / 1e6; }

double SimulatedSensor::ClockDate() const { return time_.Date() + clockOffsetDays_; }

double SimulatedSensor::BatteryVolts(int64_t time) const {
    if (lowBattery_) return 2.4;
    // Drains slowly: a fiftieth of a volt an hour.
    return std::clamp(batteryStart_ - 0.02 * Seconds(time) / 3600.0, 2.3, 3.3);
}

int SimulatedSensor::CountAt(int64_t time) const {
    if (!store_.logging) return store_.finishedCount;
    if (time < store_.start) return 0;
    const int64_t count = (time - store_.start) / IntervalMicroseconds(store_.rateIndex) + 1;
    return static_cast<int>(std::min<int64_t>(count, StoreCapacity));
}

int SimulatedSensor::StoredSamples() const { return CountAt(time_.NowMicroseconds()); }

void SimulatedSensor::FillStore(int samples, int rateIndex) { FillStoreAt(samples, rateIndex, time_.NowMicroseconds()); }

void SimulatedSensor::FillStoreAt(int samples, int rateIndex, int64_t now) {
    store_.logging = false;
    store_.rateIndex = IsValidRateIndex(rateIndex) ? rateIndex : 1;
    store_.finishedCount = std::clamp(samples, 0, StoreCapacity);
    // Logging ended a minute ago.
    const int64_t back = store_.finishedCount * IntervalMicroseconds(store_.rateIndex) + 60'000'000;
    store_.start = now - back;
    store_.startDate = ClockDate() - static_cast<double>(back) / 1000.0 / MillisecondsPerDay;
}

QByteArray SimulatedSensor::AdvertisementAt(int64_t time) const {
    SensorWire::AdvertisementFields fields;
    fields.measuring = store_.logging;
    fields.rateIndex = store_.rateIndex;
    fields.item = store_.item;
    fields.volts = BatteryVolts(time);
    fields.count = static_cast<uint32_t>(CountAt(time));
    if (store_.logging) {
        const BodyState now = body_.At(Seconds(time));
        const BodyState start = body_.At(Seconds(store_.start));
        for (int c = 0; c < 2; ++c) {
            const double oxhb = now.oxhb[c] - start.oxhb[c];
            const double dxhb = now.dxhb[c] - start.dxhb[c];
            const double values[4] = {now.sto2[c], oxhb, dxhb, oxhb + dxhb};
            fields.value[c] = (errorBits_ & 0x03FF) ? SensorWire::ValueByteError
                                                   : SensorWire::ValueByte(store_.item, values[store_.item]);
        }
    }
    return SensorWire::ManufacturerData(fields);
}

SimulatedSensor::Due SimulatedSensor::NextDue(bool scanning) const {
    Due due{Never, DueKind::None};
    const auto consider = [&due](int64_t time, DueKind kind) {
        if (time < due.time) due = {time, kind};
    };
    if (phase_ == Phase::Connecting) consider(connectAt_, DueKind::Connect);
    if (phase_ == Phase::Connected) {
        if (stream_.active) consider(stream_.next, DueKind::Stream);
        if (!link_.Empty() || (upload_.active && !silent_)) consider(link_.NextSendMicroseconds(), DueKind::Link);
    }
    if (scanning && Advertising()) consider(nextAdvertisement_, DueKind::Advertise);
    consider(dropAt_, DueKind::Drop);
    consider(returnAt_, DueKind::Return);
    return due;
}

SimulatedSensor::DueTime SimulatedSensor::NextDueTime(bool scanning) const {
    const Due due = NextDue(scanning);
    if (due.kind != DueKind::Link) return {due.time, due.time};
    return {due.time, std::min(due.time, link_.ReadyMicroseconds())};
}

void SimulatedSensor::RunDue(int64_t time, bool scanning) {
    switch (NextDue(scanning).kind) {
    case DueKind::Connect:
        phase_ = Phase::Idle;
        if (!inRange_) return;  // gone before the connection came up: it never does
        phase_ = Phase::Connected;
        ++generation_;
        notify_ = false;
        link_.Clear();
        link_.NotBefore(time);
        radio_.ConnectionUp(*this);
        return;
    case DueKind::Stream:
        SendStreamSample(time);
        return;
    case DueKind::Link:
        SendLinkNotification(time);
        return;
    case DueKind::Advertise:
        nextAdvertisement_ += static_cast<int64_t>(timing_.advertisingIntervalMilliseconds) * 1000;
        radio_.Advertised(*this, AdvertisementAt(time));
        return;
    case DueKind::Drop:
        dropAt_ = Never;
        returnAt_ = time + std::max<int64_t>(timing_.dropForMicroseconds, 0);
        SetInRange(false);
        return;
    case DueKind::Return:
        returnAt_ = Never;
        SetInRange(true);
        return;
    case DueKind::None:
        return;
    }
}

void SimulatedSensor::RestartAdvertising(int64_t now) {
    // Advertisements keep a fixed rhythm of their own; the next one is the
    // first of that rhythm not before now.
    const int64_t interval = static_cast<int64_t>(timing_.advertisingIntervalMilliseconds) * 1000;
    const int64_t anchor = origin_ + static_cast<int64_t>(timing_.advertisingPhaseMilliseconds) * 1000;
    int64_t periods = (now - anchor) / interval;
    if (anchor + periods * interval < now) ++periods;
    nextAdvertisement_ = anchor + periods * interval;
}

void SimulatedSensor::BeginConnect(int64_t now) {
    if (phase_ != Phase::Idle) return;
    phase_ = Phase::Connecting;
    connectAt_ = now + static_cast<int64_t>(timing_.connectDelayMilliseconds) * 1000;
}

void SimulatedSensor::EndConnection(int64_t now) {
    const bool wasConnected = phase_ == Phase::Connected;
    phase_ = Phase::Idle;
    if (!wasConnected) return;
    ++generation_;
    notify_ = false;
    stream_.active = false;
    upload_.active = false;
    link_.Clear();
    commands_ = SensorWire::CommandReader();
    RestartAdvertising(now);
}

void SimulatedSensor::SendLinkNotification(int64_t time) {
    // An upload is paced by the link: it tops the queue up as it drains.
    while (upload_.active && !silent_ && link_.QueuedBytes() < 2 * link_.NotificationSize())
        SendUploadSample(time);
    if (link_.Empty()) return;
    const QByteArray value = link_.TakeNotification(time);
    if (notify_) radio_.Notified(*this, value);
}

void SimulatedSensor::QueuePacket(const QByteArray& content, int64_t time) {
    if (silent_) return;
    if (dropCount_ > 0) {
        --dropCount_;
        return;
    }
    const QByteArray frame = SensorWire::FramePacket(content);
    link_.Queue(frame, time);
    if (repeatCount_ > 0) {
        --repeatCount_;
        link_.Queue(frame, time);
    }
}

void SimulatedSensor::QueueReply(const char* text, int64_t time) {
    if (silent_) return;
    link_.Queue(SensorWire::FrameText(QByteArray(text)), time);
}

void SimulatedSensor::SetInRange(bool inRange) {
    if (inRange == inRange_) return;
    inRange_ = inRange;
    if (!inRange) {
        DropLink();
        if (phase_ == Phase::Connecting) phase_ = Phase::Idle;
    } else {
        RestartAdvertising(time_.NowMicroseconds());
    }
}

void SimulatedSensor::DropPackets(int count) { dropCount_ = std::max(count, 0); }
void SimulatedSensor::RepeatPackets(int count) { repeatCount_ = std::max(count, 0); }

void SimulatedSensor::SetSilent(bool silent) {
    if (silent_ && !silent) link_.NotBefore(time_.NowMicroseconds());  // no burst for the quiet time
    silent_ = silent;
}

void SimulatedSensor::Resynchronise(int silentMilliseconds) {
    restartSilentUntil_ = time_.NowMicroseconds() + static_cast<int64_t>(std::max(silentMilliseconds, 0)) * 1000;
    restartPending_ = true;
}

void SimulatedSensor::SetErrorBits(uint16_t bits) { errorBits_ = bits; }
void SimulatedSensor::SetLowBattery(bool low) { lowBattery_ = low; }
void SimulatedSensor::SetBadUploadHeader(bool bad) { badUploadHeader_ = bad; }

void SimulatedSensor::DropLink() {
    if (phase_ == Phase::Connecting) {
        phase_ = Phase::Idle;
        return;
    }
    if (phase_ != Phase::Connected) return;
    EndConnection(time_.NowMicroseconds());
    radio_.ConnectionLost(*this);
}
