#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

struct SampleStore;

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

// events.tsv, and its sidecar events.json, which says what each trial_type
// of that table stands for.
QByteArray EventsTable(const SampleStore& store);
QByteArray EventsSidecar(const SampleStore& store);
