#pragma once

#include <QString>

#include "export/BidsNames.h"
#include "export/BidsSidecars.h"

struct SampleStore;

struct BidsRunOutcome {
    bool written = false;
    QString runStem;  // "sub-01_task-rest_run-1"
    QString reason;   // why not, when not written
};

// Writes the record as one run of the target's subject, session and task
// into the dataset, creating the dataset's own files where missing and
// adding the subject to participants.tsv and the run to the scans file. A
// run whose files exist is refused. Either every file of the run is written
// and listed, or nothing of it is left behind and the dataset's files are as
// they were.
BidsRunOutcome WriteBidsRun(const SampleStore& store, const BidsTarget& target, int run, const BidsSoftware& software);
