#pragma once

#include <QString>

#include "export/BidsNames.h"
#include "export/BidsSidecars.h"

struct SampleStore;

struct BidsRunOutcome {
    bool written = false;
    int run = 0;      // the run written or refused
    QString runStem;  // "sub-01_task-rest_run-1"
    QString reason;   // why not, when not written
};

// Writes the record as run `run` (0: the next one, after the runs already
// there) of the target's subject, session and task into the dataset,
// creating the dataset's own files where missing and adding the subject to
// participants.tsv and the run to the scans file. A run of that number whose
// files exist is refused, however the number is written in them. Either
// every file of the run is written and listed, or nothing of it is left
// behind and the dataset's files are as they were. Exports into one dataset,
// of this process or another, take turns (DatasetLock): the run number is
// chosen and its files written within one turn.
BidsRunOutcome WriteBidsRun(const SampleStore& store, const BidsTarget& target, int run, const BidsSoftware& software);
