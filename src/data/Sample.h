#pragma once

#include <cstdint>

// One channel of a sample. In sensor-check records the three detector light
// levels are used instead of the haemoglobin fields; they live in the same
// channel part so that a whole sample still copies as one plain unit.
struct CH_DATA_TYPE {
    uint16_t status;
    float oxhb;  // mM since the value-initialization point
    float dxhb;  // mM
    float tohb;  // always oxhb + dxhb
    float sto2;  // fraction, 0.65 is 65 %
    float i770;  // raw intensities, uploaded records only
    float i830;
    uint16_t level[3];  // sensor check: 7 mm, 30 mm, 35 mm detector
};

struct MEAS_DATA_TYPE {
    double time;    // OLE date, local time
    uint8_t seq;    // device sequence number, wraps 255 -> 0
    int32_t index;  // position in the record (the SEQ column for a file)
    float batt;     // volts
    float acc[3];   // G
    CH_DATA_TYPE ch[2];
};

constexpr int ChannelCount = 2;

// Channel status word. Bits 0..9 are the device's error flags.
constexpr uint16_t StatusHaemoglobinCalcError = 0x0100;
constexpr uint16_t StatusSto2CalcError = 0x0200;
constexpr uint16_t StatusNoData = 0x0400;           // placeholder for a lost sample
constexpr uint16_t StatusReferenceSample = 0x1000;  // uploaded data only
constexpr uint16_t StatusRestartRequestA = 0x2000;
constexpr uint16_t StatusRestartRequestB = 0x4000;
constexpr uint16_t StatusInitPoint = 0x8000;  // channel 1 only; "R" in the CSV

// Samples with any of these bits are skipped by the haemoglobin calculation.
constexpr uint16_t MeasurementErrorMask = 0x40FF;
// The CSV error column writes "E" for these bits (unless the sample is "No data").
constexpr uint16_t CsvErrorMask = 0x03FF;
