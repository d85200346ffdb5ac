#pragma once

#include <QByteArray>
#include <vector>

struct SampleStore;

// One row of a run's channels.tsv: a column of the SNIRF file's data blocks,
// or an auxiliary series of it.
struct BidsChannel {
    const char* name;        // as MNE names the column
    const char* type;        // BIDS channel type
    int pair;                // source and detector index; 0: none
    const char* wavelength;  // nominal, in nm; "n/a" where none applies
    const char* units;
    const char* component;   // axis of an acceleration; "n/a" otherwise
    const char* description;
};

// The record's channels: OXHb and DXHb of both channels (data1), for an
// upload the raw 770 and 830 nm intensities (data2), and the acceleration
// along x, y and z (aux). The acceleration is typed MISC, not ACCEL: the
// schema validator of bids-validator 1.15.0 reports an ACCEL channel count
// error on the nirs.json of any run that lists ACCEL channels, whatever the
// count says.
std::vector<BidsChannel> BidsChannels(const SampleStore& store);

// How many of them are NIRS channels (NIRSChannelCount).
int NirsChannelCount(const std::vector<BidsChannel>& channels);

// The rows, with short_channel "false" for every NIRS channel: each detector
// is 35 mm from its source. (ShortChannelCount 0 would say the same, but
// the legacy validator of bids-validator 1.15.0 takes only counts above 0.)
QByteArray ChannelsTable(const SampleStore& store);
