#include "export/SnirfContent.h"

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "data/RateTable.h"
#include "data/SampleStore.h"
#include "export/Hdf5File.h"
#include "export/ProbeLayout.h"
#include "export/SnirfEvents.h"
#include "export/SnirfGaps.h"
#include "export/SnirfWriter.h"

namespace {

constexpr double NotANumber = std::numeric_limits<double>::quiet_NaN();
// Processed data in the format's own code; labels the readers know.
constexpr int32_t ProcessedDataType = 99999;
// Raw continuous-wave intensities.
constexpr int32_t AmplitudeDataType = 1;
constexpr double MolarPerMillimolar = 1e-3;
constexpr const char* UnknownSubject = "unknown";

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

void WriteMetadata(const SampleStore& store, const QString& subject, Hdf5Group& nirs) {
    Hdf5Group tags = nirs.CreateGroup("metaDataTags");
    const SnirfMeasurementTime start = MeasurementTimeInUtc(store.RecordStartTime);
    tags.WriteString("SubjectID", subject.isEmpty() ? std::string(UnknownSubject) : subject.toStdString());
    tags.WriteString("MeasurementDate", start.date.toStdString());
    tags.WriteString("MeasurementTime", start.time.toStdString());
    // Readers of MeasurementTime as old as MNE 1.4 lose the whole date over
    // a fraction of a second, so the milliseconds go into a tag of their own.
    if (!start.timeWithMilliseconds.isEmpty())
        tags.WriteString(ExactMeasurementTimeTag, start.timeWithMilliseconds.toStdString());
    tags.WriteString("LengthUnit", "mm");
    tags.WriteString("TimeUnit", "s");
    tags.WriteString("FrequencyUnit", "Hz");
    tags.WriteString("DeviceID", store.RecordDeviceId.toStdString());
}

// One column of a data block: what it measures in the format's terms, and
// its value in a channel part that has data.
struct Measurement {
    int32_t wavelengthIndex;
    int32_t dataType;
    const char* label;  // processed data only
    double (*value)(const CH_DATA_TYPE& channel);
};

double OxhbMolar(const CH_DATA_TYPE& channel) { return channel.oxhb * MolarPerMillimolar; }
double DxhbMolar(const CH_DATA_TYPE& channel) { return channel.dxhb * MolarPerMillimolar; }
double Intensity770(const CH_DATA_TYPE& channel) { return channel.i770; }
double Intensity830(const CH_DATA_TYPE& channel) { return channel.i830; }

// OXHb and DXHb in M: what MNE reads.
constexpr Measurement Haemoglobin[] = {{1, ProcessedDataType, "HbO", OxhbMolar},
                                       {1, ProcessedDataType, "HbR", DxhbMolar}};
// The intensities the sensor measured, from which tools that start from
// optical density begin.
constexpr Measurement RawIntensities[] = {{1, AmplitudeDataType, nullptr, Intensity770},
                                          {2, AmplitudeDataType, nullptr, Intensity830}};

// Columns: the measurements of channel 1, then of channel 2; NaN where a
// channel part holds none.
template <bool (*Measured)(const CH_DATA_TYPE& channel), size_t PerChannel>
void WriteDataBlock(const SampleStore& store, const std::vector<double>& times,
                    const Measurement (&measurements)[PerChannel], const std::string& name, Hdf5Group& nirs) {
    Hdf5Group data = nirs.CreateGroup(name);
    const size_t columns = PerChannel * ChannelCount;
    const size_t count = static_cast<size_t>(store.SampleCount) * columns;
    const auto values = std::make_unique_for_overwrite<double[]>(count);
    double* row = values.get();
    for (int32_t position = 0; position < store.SampleCount; ++position) {
        for (const CH_DATA_TYPE& channel : store.Samples[position].ch) {
            const bool measured = Measured(channel);
            for (const Measurement& measurement : measurements)
                *row++ = measured ? measurement.value(channel) : NotANumber;
        }
    }
    data.WriteMatrix("dataTimeSeries", static_cast<size_t>(store.SampleCount), columns, values.get());
    data.WriteDoubles("time", times);

    int index = 1;
    for (int c = 0; c < ChannelCount; ++c) {
        for (const Measurement& measurement : measurements) {
            Hdf5Group entry = data.CreateGroup("measurementList" + std::to_string(index++));
            entry.WriteInteger("sourceIndex", c + 1);
            entry.WriteInteger("detectorIndex", c + 1);
            entry.WriteInteger("wavelengthIndex", measurement.wavelengthIndex);
            entry.WriteInteger("dataType", measurement.dataType);
            if (measurement.label) entry.WriteString("dataTypeLabel", measurement.label);
            entry.WriteInteger("dataTypeIndex", 1);
        }
    }
}

void WriteProbe(Hdf5Group& nirs) {
    Hdf5Group probe = nirs.CreateGroup("probe");
    probe.WriteDoubles("wavelengths", {ProbeWavelengths[0], ProbeWavelengths[1]});
    probe.WriteMatrix("sourcePos3D", ChannelCount, 3, &SourcePositions[0][0]);
    probe.WriteMatrix("detectorPos3D", ChannelCount, 3, &DetectorPositions[0][0]);
    std::vector<std::string> sources, detectors;
    for (const char* channel : ProbeChannelNames) {
        sources.push_back(std::string(channel) + " source");
        detectors.push_back(std::string(channel) + " detector");
    }
    probe.WriteStrings("sourceLabels", sources);
    probe.WriteStrings("detectorLabels", detectors);
}

void WriteStimuli(const SampleStore& store, Hdf5Group& nirs) {
    std::vector<SnirfStimulus> conditions = StimulusConditions(store);
    for (const SkippedRuns& skipped : RunsToSkip(store))
        conditions.push_back(
            SkipStimulus(skipped.runs, RateTable[store.RecordRateIndex], skipped.name));

    int index = 1;
    for (const SnirfStimulus& stimulus : conditions) {
        if (stimulus.rows.empty()) continue;
        Hdf5Group group = nirs.CreateGroup("stim" + std::to_string(index++));
        group.WriteString("name", stimulus.name);
        group.WriteMatrix("data", stimulus.rows.size(), 3, stimulus.rows.front().data());
    }
}

struct AuxSeries {
    const char* name;
    const char* unit;
    double (*value)(const MEAS_DATA_TYPE& sample);
};

template <int Channel>
double Sto2Percent(const MEAS_DATA_TYPE& sample) {
    return HasData(sample.ch[Channel]) ? sample.ch[Channel].sto2 * 100.0 : NotANumber;
}

// The sum of OXHb and DXHb: no value where they have none.
template <int Channel>
double TohbMolar(const MEAS_DATA_TYPE& sample) {
    return HasHaemoglobin(sample.ch[Channel]) ? sample.ch[Channel].tohb * MolarPerMillimolar : NotANumber;
}

// A placeholder's acceleration is no measurement; its battery voltage is
// that of the sample that arrived after the loss.
template <int Axis>
double Acceleration(const MEAS_DATA_TYPE& sample) {
    return IsPlaceholder(sample) ? NotANumber : sample.acc[Axis];
}

double Battery(const MEAS_DATA_TYPE& sample) { return sample.batt; }

void WriteAuxiliary(const SampleStore& store, const std::vector<double>& times, Hdf5Group& nirs) {
    constexpr AuxSeries series[] = {
        {"STO2 CH1(L)", "%", Sto2Percent<0>},     {"STO2 CH2(R)", "%", Sto2Percent<1>},
        {"TOHb CH1(L)", "M", TohbMolar<0>},       {"TOHb CH2(R)", "M", TohbMolar<1>},
        {"Acceleration x", "g", Acceleration<0>}, {"Acceleration y", "g", Acceleration<1>},
        {"Acceleration z", "g", Acceleration<2>}, {"Battery", "V", Battery},
    };
    constexpr size_t SeriesCount = sizeof series / sizeof series[0];
    // Every series in one pass over the samples, which a full record holds in
    // more memory than the caches.
    const auto count = static_cast<size_t>(store.SampleCount);
    const auto values = std::make_unique_for_overwrite<double[]>(SeriesCount * count);
    for (size_t position = 0; position < count; ++position)
        for (size_t k = 0; k < SeriesCount; ++k) values[k * count + position] = series[k].value(store.Samples[position]);
    for (size_t k = 0; k < SeriesCount; ++k) {
        const AuxSeries& aux = series[k];
        Hdf5Group group = nirs.CreateGroup("aux" + std::to_string(k + 1));
        group.WriteString("name", aux.name);
        group.WriteString("dataUnit", aux.unit);
        group.WriteMatrix("dataTimeSeries", count, 1, values.get() + k * count);
        group.WriteDoubles("time", times);
        group.WriteDoubles("timeOffset", {0.0});
    }
}

}  // namespace

size_t ExpectedSnirfBytes(const SampleStore& store) {
    // Per sample: data1's columns and time, data2's likewise, each auxiliary
    // series' value and time; the groups, names and stimuli fit in the rest.
    constexpr size_t Auxiliaries = 8, Overhead = 1 << 20;
    const size_t perBlock = sizeof(double) * (2 * ChannelCount + 1);
    const size_t perSample =
        perBlock * (store.HasRawIntensities ? 2 : 1) + Auxiliaries * 2 * sizeof(double);
    return static_cast<size_t>(store.SampleCount) * perSample + Overhead;
}

void WriteSnirfContent(const SampleStore& store, const QString& subject, Hdf5Group& root) {
    root.WriteString("formatVersion", "1.0");
    Hdf5Group nirs = root.CreateGroup("nirs");
    const std::vector<double> times = TimesInSeconds(store);
    WriteMetadata(store, subject, nirs);
    WriteDataBlock<HasHaemoglobin>(store, times, Haemoglobin, "data1", nirs);
    if (store.HasRawIntensities) WriteDataBlock<HasData>(store, times, RawIntensities, "data2", nirs);
    WriteProbe(nirs);
    WriteStimuli(store, nirs);
    WriteAuxiliary(store, times, nirs);
}
