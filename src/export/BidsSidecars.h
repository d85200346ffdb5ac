#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

struct SampleStore;

// The program that writes the dataset, for GeneratedBy and SoftwareVersions.
struct BidsSoftware {
    QString name;
    QString version;
};

// One row of a run's events file, in whole milliseconds.
struct BidsEvent {
    int64_t onsetMilliseconds = 0;
    int64_t durationMilliseconds = 0;
    QString trialType;
    bool operator==(const BidsEvent&) const = default;
};

// The record's marks as events, by onset: numbered events (a start and its
// end are one event with its duration), value-initialization points, each
// run of rows without data and each run of rows with an error flag with its
// true length, named as the SNIRF file's stimuli are.
std::vector<BidsEvent> BidsEvents(const SampleStore& store);

// The files' contents. The record must be one the SNIRF export accepts.
QByteArray NirsSidecar(const SampleStore& store, const QString& task, const BidsSoftware& software);
QByteArray ChannelsTable();
QByteArray OptodesTable();
QByteArray CoordinateSystemSidecar();
QByteArray EventsTable(const SampleStore& store);
QByteArray DatasetDescription(const QString& name, const BidsSoftware& software);
QByteArray DatasetReadme(const BidsSoftware& software);
QByteArray ParticipantsSidecar();
// "yyyy-MM-ddTHH:mm:ss", with ".zzz" when the start has milliseconds: the
// record's start as the PC's clock told it.
QString AcquisitionTime(double localStartTime);
