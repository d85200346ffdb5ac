#include "export/SnirfContent.h"

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "data/RateTable.h"
#include "data/SampleStore.h"
#include "export/Hdf5File.h"
#include "export/SnirfEvents.h"
#include "export/SnirfWriter.h"

namespace {

constexpr double NotANumber = std::numeric_limits<double>::quiet_NaN();
// Processed data in the format's own code; labels the readers know.
constexpr int32_t ProcessedDataType = 99999;
constexpr double MolarPerMillimolar = 1e-3;
constexpr const char* ChannelNames[ChannelCount] = {"CH1(L)", "CH2(R)"};

// Each channel's light enters at one point of the forehead and leaves 35 mm
// further out, the left channel on the left, the right one on the right
// (x to the right, y forward, z up, in mm).
constexpr double SourcePositions[ChannelCount][3] = {{-15, 90, 30}, {15, 90, 30}};
constexpr double DetectorPositions[ChannelCount][3] = {{-50, 90, 30}, {50, 90, 30}};

bool HasData(const CH_DATA_TYPE& channel) { return !(channel.status & StatusNoData); }

// A placeholder for a lost sample has "No data" in both channels.
bool IsPlaceholder(const MEAS_DATA_TYPE& sample) { return !HasData(sample.ch[0]) && !HasData(sample.ch[1]); }

std::vector<double> TimesInSeconds(const SampleStore& store) {
    std::vector<double> times(static_cast<size_t>(store.SampleCount));
    const int32_t interval = RateTable[store.RecordRateIndex];
    for (int32_t position = 0; position < store.SampleCount; ++position)
        times[static_cast<size_t>(position)] = static_cast<double>(position) * interval / 1000.0;
    return times;
}

void WriteMetadata(const SampleStore& store, Hdf5Group& nirs) {
    Hdf5Group tags = nirs.CreateGroup("metaDataTags");
    const SnirfMeasurementTime start = MeasurementTimeInUtc(store.RecordStartTime);
    tags.WriteString("SubjectID", "unknown");
    tags.WriteString("MeasurementDate", start.date.toStdString());
    tags.WriteString("MeasurementTime", start.time.toStdString());
    tags.WriteString("LengthUnit", "mm");
    tags.WriteString("TimeUnit", "s");
    tags.WriteString("FrequencyUnit", "Hz");
    tags.WriteString("DeviceID", store.RecordDeviceId.toStdString());
}

// Columns: OXHb and DXHb of channel 1, then of channel 2.
void WriteData(const SampleStore& store, const std::vector<double>& times, Hdf5Group& nirs) {
    Hdf5Group data = nirs.CreateGroup("data1");
    const size_t columns = 2 * ChannelCount;
    std::vector<double> values(static_cast<size_t>(store.SampleCount) * columns);
    double* row = values.data();
    for (int32_t position = 0; position < store.SampleCount; ++position, row += columns) {
        for (int c = 0; c < ChannelCount; ++c) {
            const CH_DATA_TYPE& channel = store.Samples[position].ch[c];
            row[2 * c] = HasData(channel) ? channel.oxhb * MolarPerMillimolar : NotANumber;
            row[2 * c + 1] = HasData(channel) ? channel.dxhb * MolarPerMillimolar : NotANumber;
        }
    }
    data.WriteMatrix("dataTimeSeries", static_cast<size_t>(store.SampleCount), columns, values.data());
    data.WriteDoubles("time", times);

    int measurement = 1;
    for (int c = 0; c < ChannelCount; ++c) {
        for (const char* label : {"HbO", "HbR"}) {
            Hdf5Group entry = data.CreateGroup("measurementList" + std::to_string(measurement++));
            entry.WriteInteger("sourceIndex", c + 1);
            entry.WriteInteger("detectorIndex", c + 1);
            entry.WriteInteger("wavelengthIndex", 1);
            entry.WriteInteger("dataType", ProcessedDataType);
            entry.WriteString("dataTypeLabel", label);
            entry.WriteInteger("dataTypeIndex", 1);
        }
    }
}

void WriteProbe(Hdf5Group& nirs) {
    Hdf5Group probe = nirs.CreateGroup("probe");
    probe.WriteDoubles("wavelengths", {770.0, 830.0});
    probe.WriteMatrix("sourcePos3D", ChannelCount, 3, &SourcePositions[0][0]);
    probe.WriteMatrix("detectorPos3D", ChannelCount, 3, &DetectorPositions[0][0]);
    std::vector<std::string> sources, detectors;
    for (const char* channel : ChannelNames) {
        sources.push_back(std::string(channel) + " source");
        detectors.push_back(std::string(channel) + " detector");
    }
    probe.WriteStrings("sourceLabels", sources);
    probe.WriteStrings("detectorLabels", detectors);
}

void WriteStimuli(const SampleStore& store, Hdf5Group& nirs) {
    int index = 1;
    for (const SnirfStimulus& stimulus : StimulusConditions(store)) {
        if (stimulus.rows.empty()) continue;
        Hdf5Group group = nirs.CreateGroup("stim" + std::to_string(index++));
        group.WriteString("name", stimulus.name);
        group.WriteMatrix("data", stimulus.rows.size(), 3, stimulus.rows.front().data());
    }
}

struct AuxSeries {
    std::string name;
    std::string unit;
    double (*value)(const MEAS_DATA_TYPE& sample);
};

template <int Channel>
double Sto2Percent(const MEAS_DATA_TYPE& sample) {
    return HasData(sample.ch[Channel]) ? sample.ch[Channel].sto2 * 100.0 : NotANumber;
}

template <int Channel>
double TohbMolar(const MEAS_DATA_TYPE& sample) {
    return HasData(sample.ch[Channel]) ? sample.ch[Channel].tohb * MolarPerMillimolar : NotANumber;
}

// A placeholder's acceleration is no measurement; its battery voltage is
// that of the sample that arrived after the loss.
template <int Axis>
double Acceleration(const MEAS_DATA_TYPE& sample) {
    return IsPlaceholder(sample) ? NotANumber : sample.acc[Axis];
}

double Battery(const MEAS_DATA_TYPE& sample) { return sample.batt; }

void WriteAuxiliary(const SampleStore& store, const std::vector<double>& times, Hdf5Group& nirs) {
    const AuxSeries series[] = {
        {"STO2 CH1(L)", "%", Sto2Percent<0>},     {"STO2 CH2(R)", "%", Sto2Percent<1>},
        {"TOHb CH1(L)", "M", TohbMolar<0>},       {"TOHb CH2(R)", "M", TohbMolar<1>},
        {"Acceleration x", "g", Acceleration<0>}, {"Acceleration y", "g", Acceleration<1>},
        {"Acceleration z", "g", Acceleration<2>}, {"Battery", "V", Battery},
    };
    std::vector<double> values(static_cast<size_t>(store.SampleCount));
    int index = 1;
    for (const AuxSeries& aux : series) {
        for (int32_t position = 0; position < store.SampleCount; ++position)
            values[static_cast<size_t>(position)] = aux.value(store.Samples[position]);
        Hdf5Group group = nirs.CreateGroup("aux" + std::to_string(index++));
        group.WriteString("name", aux.name);
        group.WriteString("dataUnit", aux.unit);
        group.WriteMatrix("dataTimeSeries", values.size(), 1, values.data());
        group.WriteDoubles("time", times);
        group.WriteDoubles("timeOffset", {0.0});
    }
}

}  // namespace

void WriteSnirfContent(const SampleStore& store, Hdf5Group& root) {
    root.WriteString("formatVersion", "1.0");
    Hdf5Group nirs = root.CreateGroup("nirs");
    const std::vector<double> times = TimesInSeconds(store);
    WriteMetadata(store, nirs);
    WriteData(store, times, nirs);
    WriteProbe(nirs);
    WriteStimuli(store, nirs);
    WriteAuxiliary(store, times, nirs);
}
