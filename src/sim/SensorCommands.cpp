// The sensor's command set and the packets it answers with.
#include <algorithm>

#include "data/OleDate.h"
#include "data/RateTable.h"
#include "data/Sample.h"
#include "sim/SimulatedSensor.h"
#include "sim/SimulationTime.h"

namespace {

int64_t IntervalMicroseconds(int rateIndex) {
    return static_cast<int64_t>(RateTable[IsValidRateIndex(rateIndex) ? rateIndex : 1]) * 1000;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "ST3" style: the command letters and one digit.
int DigitAfter(const QByteArray& command, const char* letters) {
    const int length = static_cast<int>(qstrlen(letters));
    if (command.size() != length + 1 || !command.startsWith(letters) || !IsDigit(command.back())) return -1;
    return command.back() - '0';
}

void FillHead(uint8_t& seq, uint16_t& battery, int16_t acc[3], uint8_t sequence, double volts,
              const BodyState& body) {
    seq = sequence;
    battery = SensorWire::PacketBatteryRaw(volts);
    for (int axis = 0; axis < 3; ++axis) acc[axis] = SensorWire::AccelerationRaw(body.acc[axis]);
}

}  // namespace

void SimulatedSensor::Receive(const QByteArray& write, int64_t now) {
    if (phase_ != Phase::Connected) return;
    for (const QByteArray& command : commands_.Feed(write)) Execute(command, now);
}

void SimulatedSensor::Execute(const QByteArray& command, int64_t now) {
    if (command.startsWith("TS,")) {
        SetClock(command);
    } else if (const int rate = DigitAfter(command, "ST"); rate >= 0) {
        if (IsValidRateIndex(rate)) StartStream(false, rate, now);
    } else if (const int checkRate = DigitAfter(command, "CK"); checkRate >= 0) {
        if (IsValidRateIndex(checkRate)) StartStream(true, checkRate, now);
    } else if (command == "ED") {
        stream_.active = false;
        dropArmed_ = true;
        dropAt_ = Never;
    } else if (command == "RS") {
        if (stream_.active) stream_.markNext = true;
    } else if (command.size() == 6 && command.startsWith("@SS") && IsDigit(command[3]) && command[4] == ',' &&
               IsDigit(command[5])) {
        const int rateIndex = command[3] - '0';
        const int item = command[5] - '0';
        if (IsValidRateIndex(rateIndex) && item <= 3) {
            StartLogging(rateIndex, item, now);
            QueueReply("OK", now);
        } else {
            QueueReply("NG", now);
        }
    } else if (command == "@SDN") {
        if (store_.logging) {
            store_.finishedCount = CountAt(now);
            store_.logging = false;
        }
        QueueReply("OK", now);
    } else if (command == "GS4") {
        StartUpload(now);
    } else if (command == "GC") {
        upload_.active = false;
        link_.DropUnstartedFrames();
    } else if (command == "@CLR") {
        ClearStore(now);
    }
    // Anything else is not a command of this sensor and is ignored.
}

void SimulatedSensor::SetClock(const QByteArray& text) {
    // "TS,yymmddhhnnss"
    if (text.size() != 15 || !std::all_of(text.begin() + 3, text.end(), IsDigit)) return;
    const auto field = [&text](int position) { return (text[position] - '0') * 10 + (text[position + 1] - '0'); };
    DateTimeParts parts;
    parts.year = 2000 + field(3);
    parts.month = field(5);
    parts.day = field(7);
    parts.hour = field(9);
    parts.minute = field(11);
    parts.second = field(13);
    if (const auto date = OleDateFromParts(parts)) clockOffsetDays_ = *date - time_.Date();
}

void SimulatedSensor::ArmDrop(int64_t now) {
    if (!dropArmed_ || timing_.dropAfterMicroseconds < 0) return;
    dropArmed_ = false;
    dropAt_ = now + timing_.dropAfterMicroseconds;
}

void SimulatedSensor::StartStream(bool check, int rateIndex, int64_t now) {
    ArmDrop(now);
    upload_.active = false;
    stream_ = Stream{};
    stream_.active = true;
    stream_.check = check;
    stream_.rateIndex = rateIndex;
    stream_.next = now + StreamIntervalMicroseconds();
    // The start is the value-initialization point of the stream.
    const BodyState body = body_.At(Seconds(now));
    for (int c = 0; c < 2; ++c) {
        stream_.baseOxhb[c] = body.oxhb[c];
        stream_.baseDxhb[c] = body.dxhb[c];
    }
}

void SimulatedSensor::StartLogging(int rateIndex, int item, int64_t now) {
    if (store_.logging) return;  // already logging: keep what it has
    store_.logging = true;
    store_.rateIndex = rateIndex;
    store_.item = item;
    store_.start = now;
    store_.startDate = ClockDate();
    store_.finishedCount = 0;
}

void SimulatedSensor::ClearStore(int64_t now) {
    store_.finishedCount = 0;
    if (store_.logging) {
        store_.start = now;
        store_.startDate = ClockDate();
    }
}

void SimulatedSensor::StartUpload(int64_t now) {
    ArmDrop(now);
    stream_.active = false;
    upload_ = Upload{};
    upload_.total = CountAt(now);
    upload_.rateIndex = store_.rateIndex;
    upload_.start = store_.start;
    upload_.active = upload_.total > 0;

    // The header carries the sensor's clock at the first sample, to the second.
    const DateTimeParts start = PartsFromOleDate(upload_.total > 0 ? store_.startDate : ClockDate());
    SensorWire::UploadHeaderFields header;
    header.rateIndex = static_cast<uint16_t>(upload_.rateIndex);
    header.date = SensorWire::PackBcd(start.year % 100, start.month, start.day);
    header.time = SensorWire::PackBcd(start.hour, start.minute, start.second);
    header.count = static_cast<uint32_t>(upload_.total);
    header.badMarker = badUploadHeader_;
    if (!silent_) link_.Queue(SensorWire::FramePacket(SensorWire::UploadHeader(header)), now);
}

// The sensor's own clock sets the pace of its stream: one that runs fast
// sends its samples sooner.
int64_t SimulatedSensor::StreamIntervalMicroseconds() const {
    const int64_t interval = IntervalMicroseconds(stream_.rateIndex);
    return interval - interval * clockDriftPpm_ / 1'000'000;
}

void SimulatedSensor::SendStreamSample(int64_t time) {
    stream_.next += StreamIntervalMicroseconds();
    if (restartPending_) {
        if (time < restartSilentUntil_) return;  // restarting: nothing is measured
        // Back up: the sequence starts again at 0 and the values re-zero.
        restartPending_ = false;
        stream_.seq = 0;
        stream_.markNext = true;
    }
    const BodyState body = body_.At(Seconds(time));
    const uint8_t seq = stream_.seq++;
    const double volts = BatteryVolts(time);

    if (stream_.check) {
        SensorWire::CheckFields fields;
        FillHead(fields.seq, fields.battery, fields.acc, seq, volts, body);
        for (int c = 0; c < 2; ++c)
            for (int detector = 0; detector < 3; ++detector)
                fields.level[c][detector] =
                    static_cast<uint16_t>(std::clamp(body.level[c][detector], 0.0, 65535.0));
        QueuePacket(SensorWire::CheckPacket(fields), time);
        return;
    }

    uint16_t initPoint = 0;
    if (stream_.markNext) {
        stream_.markNext = false;
        initPoint = StatusInitPoint;
        for (int c = 0; c < 2; ++c) {
            stream_.baseOxhb[c] = body.oxhb[c];
            stream_.baseDxhb[c] = body.dxhb[c];
        }
    }
    SensorWire::MeasurementFields fields;
    FillHead(fields.seq, fields.battery, fields.acc, seq, volts, body);
    for (int c = 0; c < 2; ++c) {
        fields.ch[c].status = static_cast<uint16_t>(errorBits_ | (c == 0 ? initPoint : 0));
        fields.ch[c].first = static_cast<float>(body.oxhb[c] - stream_.baseOxhb[c]);
        fields.ch[c].second = static_cast<float>(body.dxhb[c] - stream_.baseDxhb[c]);
        fields.ch[c].sto2 = static_cast<float>(body.sto2[c]);
    }
    QueuePacket(SensorWire::MeasurementPacket(fields), time);
}

void SimulatedSensor::SendUploadSample(int64_t time) {
    const int index = upload_.next++;
    if (upload_.next >= upload_.total) upload_.active = false;
    const int64_t taken = upload_.start + index * IntervalMicroseconds(upload_.rateIndex);
    const BodyState body = body_.At(Seconds(taken));
    SensorWire::MeasurementFields fields;
    FillHead(fields.seq, fields.battery, fields.acc, static_cast<uint8_t>(index & 0xFF), BatteryVolts(taken), body);
    for (int c = 0; c < 2; ++c) {
        // The log's first sample is the reference the PC computes against.
        fields.ch[c].status = static_cast<uint16_t>(errorBits_ | (index == 0 ? StatusReferenceSample : 0));
        body_.Intensities(c, body.oxhb[c], body.dxhb[c], fields.ch[c].first, fields.ch[c].second);
        fields.ch[c].sto2 = static_cast<float>(body.sto2[c]);
    }
    QueuePacket(SensorWire::MeasurementPacket(fields), time);
}
