#include "data/PacketDecoder.h"

#include <bit>

#include "data/BcdDate.h"
#include "data/Clock.h"
#include "data/HaemoglobinCalc.h"
#include "data/OleDate.h"
#include "data/RateTable.h"
#include "data/RecordSummary.h"
#include "data/SampleStore.h"
#include "data/SupervisionState.h"

namespace {

constexpr double VoltsPerBatteryCount = 0.00352;
constexpr int RepaintThreshold = 10;  // fewer bytes left: no further packet in this notification
constexpr uint16_t UploadHeaderMarker = 0x1234;

uint16_t Unsigned16(const uint8_t* at) { return static_cast<uint16_t>(at[0] << 8 | at[1]); }

uint32_t Unsigned32(const uint8_t* at) {
    return uint32_t{at[0]} << 24 | uint32_t{at[1]} << 16 | uint32_t{at[2]} << 8 | uint32_t{at[3]};
}

float Single(const uint8_t* at) { return std::bit_cast<float>(Unsigned32(at)); }

// Sequence number, battery and acceleration: the same in every packet kind.
void DecodeCommonFields(const uint8_t* packet, MEAS_DATA_TYPE& sample) {
    sample.seq = packet[0];
    sample.batt = static_cast<float>(Unsigned16(packet + 1) * VoltsPerBatteryCount);
    for (int axis = 0; axis < 3; ++axis) {
        const auto raw = static_cast<int16_t>(Unsigned16(packet + 3 + 2 * axis));
        sample.acc[axis] = static_cast<float>(raw * 2) / 2048.0f;
    }
}

}  // namespace

void PacketDecoder::CheckPacket(const uint8_t* packet, int32_t length, int32_t left) {
    SampleStore& record = context_.Record;
    const bool measurement = !record.CheckSensorsMode && length == MeasurementPacketLength;
    const bool sensorCheck = record.CheckSensorsMode && length == SensorCheckPacketLength;
    if (!measurement && !sensorCheck) return;

    context_.Supervision.SilenceTicks = 0;
    context_.Supervision.LinkLost = false;
    if (!record.UploadActive || sensorCheck) record.CurrentSample.time = context_.LocalClock.Now();
    if (record.ReceivedDeviceId.isEmpty()) record.ReceivedDeviceId = context_.TargetDeviceName;

    if (sensorCheck) {
        StoreSensorCheck(packet, left);
    } else if (record.UploadActive && record.UploadTotal == 0) {
        TakeUploadHeader(packet);
    } else {
        DecodeMeasurement(packet);
        StoreMeasurement(left);
    }
}

void PacketDecoder::TakeUploadHeader(const uint8_t* packet) {
    SampleStore& record = context_.Record;
    if (packet[0] != 0 || Unsigned16(packet + 1) != UploadHeaderMarker) return;
    // A rate the sensor cannot have, or a count past any record, means a
    // corrupt header: waiting for a good one beats a record with a made-up
    // time axis, and the sensor keeps its log as long as nothing is saved.
    const uint16_t rateIndex = Unsigned16(packet + 3);
    const uint32_t total = Unsigned32(packet + 19);
    if (!IsValidRateIndex(rateIndex) || total > uint32_t{INT32_MAX}) return;

    record.RecordRateIndex = rateIndex;
    record.UploadTotal = static_cast<int32_t>(total);
    record.HasRawIntensities = true;
    if (total != 0) record.CurrentSample.time = EncodeBCDdate(Unsigned32(packet + 11), Unsigned32(packet + 15));
    ReferenceValid[0] = ReferenceValid[1] = false;
    context_.Listener.UpdateProgress();
}

void PacketDecoder::DecodeMeasurement(const uint8_t* packet) {
    SampleStore& record = context_.Record;
    MEAS_DATA_TYPE& sample = record.CurrentSample;
    DecodeCommonFields(packet, sample);
    for (int c = 0; c < ChannelCount; ++c) {
        const uint8_t* block = packet + 9 + 14 * c;
        CH_DATA_TYPE& channel = sample.ch[c];
        channel.status = Unsigned16(block);
        const float first = Single(block + 2);
        const float second = Single(block + 6);
        if (!record.UploadActive) {
            channel.oxhb = first;
            channel.dxhb = second;
        } else {
            channel.i770 = first;
            channel.i830 = second;
            if (channel.status & StatusReferenceSample) {
                // Every reference sample the sensor marks starts a new reference.
                ReferenceIntensity[c] = {first, second};
                ReferenceValid[c] = true;
                channel.oxhb = channel.dxhb = 0;
            } else if (ReferenceValid[c] && !(channel.status & MeasurementErrorMask)) {
                Brain_Calc(sample, c, ReferenceIntensity[c].i770, ReferenceIntensity[c].i830);
            } else {
                channel.oxhb = channel.dxhb = 0;
            }
        }
        channel.tohb = channel.oxhb + channel.dxhb;
        channel.sto2 = Single(block + 10);
    }
}

void PacketDecoder::StoreMeasurement(int32_t left) {
    SampleStore& record = context_.Record;
    if (record.SampleCount >= MaxSamples) return;

    if (record.SampleCount == 0) {
        if (timelineStart_ != 0 && !record.UploadActive)
            BeginRecordOnTimeline(record, timelineStart_, record.CurrentSample);
        else
            record.RecordStartTime = record.CurrentSample.time;
        ShowFirstSampleStatus();
    } else {
        if (record.UploadActive && IsValidRateIndex(record.RecordRateIndex)) {
            // Stored samples are equally spaced from the header's start time;
            // whole milliseconds keep records past a day exact.
            const int64_t offset = int64_t{record.SampleCount} * RateTable[record.RecordRateIndex];
            record.CurrentSample.time =
                MillisecondsToOleDate(OleDateToMilliseconds(record.RecordStartTime) + offset);
        }
        if (resumeByTime_ && !record.UploadActive) {
            FillNoDataRowsUntil(record, record.CurrentSample.time);
        } else if (!CheckSequence()) {
            return;
        }
    }
    resumeByTime_ = false;

    record.CurrentSample.index = record.SampleCount;
    record.RecordEndTime = record.CurrentSample.time;
    AppendSample(record, record.CurrentSample);

    if (record.UploadActive) {
        if (left < RepaintThreshold || record.SampleCount == record.UploadTotal) context_.Listener.UpdateProgress();
    } else if (!context_.LiveReview && !context_.EntireView && left < RepaintThreshold) {
        context_.Listener.RepaintTrend();
    }
}

bool PacketDecoder::CheckSequence() {
    SampleStore& record = context_.Record;
    const uint8_t seq = record.CurrentSample.seq;
    const auto step = static_cast<uint8_t>(seq - record.Samples[record.SampleCount - 1].seq);

    if (record.UploadActive) {
        if (step == 0) return false;
        if (step >= 2) record.SequenceGap = true;  // the upload is abandoned; nothing is filled in
        return true;
    }
    // The sensor restarted its numbering at a value-initialization point:
    // place the sample by the time since the start instead.
    if (seq == 0 && step != 1 && (record.CurrentSample.ch[0].status & StatusInitPoint)) {
        record.SequenceGap = true;
        ResynchroniseFill();
        return true;
    }
    if (step == 0) return false;
    if (step == 2) {
        RepeatLastSample(record);
    } else if (step > 2) {
        record.SequenceGap = true;
        for (int lost = 0; lost < step - 1; ++lost)
            if (!AppendLostPlaceholder(record, record.CurrentSample)) break;
    }
    return true;
}

void PacketDecoder::ResynchroniseFill() {
    SampleStore& record = context_.Record;
    const int64_t elapsed =
        OleDateToMilliseconds(record.CurrentSample.time) - OleDateToMilliseconds(record.RecordStartTime);
    if (!IsValidRateIndex(record.RecordRateIndex)) return;
    const int64_t due = elapsed / RateTable[record.RecordRateIndex];
    while (record.SampleCount < due - 1)
        if (!AppendLostPlaceholder(record, record.CurrentSample)) break;
}

void PacketDecoder::ShowFirstSampleStatus() {
    const SampleStore& record = context_.Record;
    if (record.UploadActive) {
        context_.Listener.ShowStatusText(QStringLiteral("DeviceID[ ") + record.ReceivedDeviceId +
                                         QStringLiteral(" ]    Start[ ") + FormatDateTime(record.RecordStartTime) +
                                         QStringLiteral(" ]\u3000Uploading..."));
    } else {
        context_.Listener.ShowStatusText(LiveStatusText(record, QStringLiteral("Measuring...")));
    }
}

void PacketDecoder::StoreSensorCheck(const uint8_t* packet, int32_t left) {
    SampleStore& record = context_.Record;
    MEAS_DATA_TYPE& sample = record.CurrentSample;
    DecodeCommonFields(packet, sample);
    for (int c = 0; c < ChannelCount; ++c)
        for (int detector = 0; detector < 3; ++detector)
            sample.ch[c].level[detector] = Unsigned16(packet + 9 + 6 * c + 2 * detector);

    if (record.SampleCount >= MaxSamples) return;
    record.RecordEndTime = sample.time;
    if (record.SampleCount == 0) record.RecordStartTime = sample.time;
    AppendSample(record, sample);
    if (!context_.LiveReview && !context_.EntireView && left < RepaintThreshold) context_.Listener.RepaintTrend();
}
