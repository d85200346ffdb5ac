#pragma once

#include <QString>
#include <cstdint>

#include "data/Sample.h"

class Clock;
struct SampleStore;
struct SupervisionState;

// Packet sizes from the sensor.
constexpr int32_t MeasurementPacketLength = 37;  // measurement, upload header and upload sample
constexpr int32_t SensorCheckPacketLength = 21;

// What the decoder asks of the window.
class PacketDecoderListener {
public:
    virtual ~PacketDecoderListener() = default;
    // Invalidate the trend view (PaintBox1).
    virtual void RepaintTrend() = 0;
    // Follow the upload in its panel; in upload mode only.
    virtual void UpdateProgress() = 0;
    // The status bar's simple text; at the first sample of a record.
    virtual void ShowStatusText(const QString& text) = 0;
};

// State the decoder reads or writes that other parts of the program own.
// The window wires it once; a test builds exactly the state it needs.
struct PacketDecoderContext {
    SampleStore& Record;
    SupervisionState& Supervision;
    const QString& TargetDeviceName;  // the connected sensor's name
    const bool& LiveReview;           // the user scrolls back: no live repaint
    const bool& EntireView;           // the whole record is shown: no live repaint
    const Clock& LocalClock;
    PacketDecoderListener& Listener;
};

struct ReferencePair {
    float i770 = 0;
    float i830 = 0;
};

// Turns each packet of a real-time measurement, a sensor check or an upload
// into a sample of the record: acceptance by length and mode, decoding,
// haemoglobin from raw intensities in upload mode, the sequence check with
// repeats, placeholders and resynchronisation, and the one repaint or
// progress update per notification. Allocates nothing except the status bar
// text of a record's first sample.
class PacketDecoder {
public:
    explicit PacketDecoder(const PacketDecoderContext& context) : context_(context) {}

    // packet: the de-framed packet; left: bytes of the same notification after
    // its end byte (below 10 when no further complete packet is waiting).
    void CheckPacket(const uint8_t* packet, int32_t length, int32_t left);

    // The link was lost and is back: the next measurement sample is placed by
    // its time since the record's start, the rows missed before it having no
    // data, as the sensor starts its sequence anew.
    void ResumeAfterGap() { resumeByTime_ = true; }

    // The record joins a measurement whose timeline began at start (the
    // first sample of any of its sensors): its first sample is placed by
    // its time from there, the rows before it having no data. 0: the
    // record's own first sample begins the timeline.
    void StartTimelineAt(double start) { timelineStart_ = start; }

    // The reference sample of each channel in the current upload.
    ReferencePair ReferenceIntensity[ChannelCount];
    bool ReferenceValid[ChannelCount] = {false, false};

private:
    void TakeUploadHeader(const uint8_t* packet);
    void DecodeMeasurement(const uint8_t* packet);
    void StoreMeasurement(int32_t left);
    // False when the packet repeats the last one and is to be discarded.
    bool CheckSequence();
    void ResynchroniseFill();
    void ShowFirstSampleStatus();
    void StoreSensorCheck(const uint8_t* packet, int32_t left);

    PacketDecoderContext context_;
    bool resumeByTime_ = false;
    double timelineStart_ = 0;
};
