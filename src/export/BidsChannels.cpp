#include "export/BidsChannels.h"

#include <QString>
#include <algorithm>
#include <cstring>

#include "data/SampleStore.h"
#include "export/BidsText.h"

namespace {

constexpr const char* NirsTypePrefix = "NIRS";
constexpr const char* AccelerationType = "MISC";

bool IsNirs(const BidsChannel& channel) {
    return std::strncmp(channel.type, NirsTypePrefix, std::strlen(NirsTypePrefix)) == 0;
}

constexpr BidsChannel Haemoglobin[] = {
    {"S1_D1 hbo", "NIRSCWHBO", 1, NotKnown, "M", NotKnown, "OXHb change of CH1(L) (data1)"},
    {"S1_D1 hbr", "NIRSCWHBR", 1, NotKnown, "M", NotKnown, "DXHb change of CH1(L) (data1)"},
    {"S2_D2 hbo", "NIRSCWHBO", 2, NotKnown, "M", NotKnown, "OXHb change of CH2(R) (data1)"},
    {"S2_D2 hbr", "NIRSCWHBR", 2, NotKnown, "M", NotKnown, "DXHb change of CH2(R) (data1)"},
};
// As the sensor's detectors measured them, in the sensor's own scale.
constexpr BidsChannel RawIntensities[] = {
    {"S1_D1 770", "NIRSCWAMPLITUDE", 1, "770", "arbitrary", NotKnown, "raw 770 nm intensity of CH1(L) (data2)"},
    {"S1_D1 830", "NIRSCWAMPLITUDE", 1, "830", "arbitrary", NotKnown, "raw 830 nm intensity of CH1(L) (data2)"},
    {"S2_D2 770", "NIRSCWAMPLITUDE", 2, "770", "arbitrary", NotKnown, "raw 770 nm intensity of CH2(R) (data2)"},
    {"S2_D2 830", "NIRSCWAMPLITUDE", 2, "830", "arbitrary", NotKnown, "raw 830 nm intensity of CH2(R) (data2)"},
};
// In standard gravities, as the sensor gives them and the SNIRF file keeps them.
constexpr BidsChannel Acceleration[] = {
    {"Acceleration x", AccelerationType, 0, NotKnown, "g", "x",
     "acceleration along x in standard gravities (9.80665 m/s^2), an aux series of the SNIRF file"},
    {"Acceleration y", AccelerationType, 0, NotKnown, "g", "y",
     "acceleration along y in standard gravities (9.80665 m/s^2), an aux series of the SNIRF file"},
    {"Acceleration z", AccelerationType, 0, NotKnown, "g", "z",
     "acceleration along z in standard gravities (9.80665 m/s^2), an aux series of the SNIRF file"},
};

}  // namespace

std::vector<BidsChannel> BidsChannels(const SampleStore& store) {
    std::vector<BidsChannel> channels(std::begin(Haemoglobin), std::end(Haemoglobin));
    if (store.HasRawIntensities) channels.insert(channels.end(), std::begin(RawIntensities), std::end(RawIntensities));
    channels.insert(channels.end(), std::begin(Acceleration), std::end(Acceleration));
    return channels;
}

int NirsChannelCount(const std::vector<BidsChannel>& channels) {
    return static_cast<int>(std::count_if(channels.begin(), channels.end(), IsNirs));
}

QByteArray ChannelsTable(const SampleStore& store) {
    QList<QStringList> rows{{"name", "type", "source", "detector", "wavelength_nominal", "units", "component",
                             "short_channel", "description"}};
    for (const BidsChannel& channel : BidsChannels(store)) {
        const QString pair = QString::number(channel.pair);
        const QString source = channel.pair > 0 ? "S" + pair : QString::fromLatin1(NotKnown);
        const QString detector = channel.pair > 0 ? "D" + pair : QString::fromLatin1(NotKnown);
        rows.append({channel.name, channel.type, source, detector, channel.wavelength, channel.units, channel.component,
                     IsNirs(channel) ? QStringLiteral("false") : QString::fromLatin1(NotKnown), channel.description});
    }
    return TsvFile(rows);
}
