#pragma once

#include <QString>

// A BIDS label (subject, session, task): letters and digits only, so that
// the "_" and "-" of the file names stay unambiguous.
bool IsBidsLabel(const QString& label);

// What goes into a BIDS dataset, and where.
struct BidsTarget {
    QString dataset;  // the dataset's folder
    QString subject;  // labels without their "sub-", "ses-", "task-"
    QString session;  // empty: no session level
    QString task;
    int firstRun = 0;  // the run of the first record; 0: after the runs already there
};

// Why the labels cannot name files of a dataset, or empty when they can.
QString BidsTargetProblem(const BidsTarget& target);

// The names of one run's files, relative to the dataset's folder.
struct BidsRunNames {
    QString scansFolder;  // "sub-01/ses-pre" or "sub-01": where the scans file lies
    QString dataFolder;   // scansFolder + "/nirs"
    QString runStem;      // "sub-01_ses-pre_task-rest_run-2"
    QString subjectStem;  // "sub-01_ses-pre": the optodes and coordinate files, shared by the runs
    QString scansFile;    // scansFolder + "/sub-01_ses-pre_scans.tsv"
};
BidsRunNames NamesOfRun(const BidsTarget& target, int run);

// The largest run number a run may have, so that the next one can be
// counted: --run 2147483647 is the last.
constexpr int MaxBidsRun = 2147483647;

// The run that follows every run of the subject, session and task already in
// the dataset (1 in a new one), their numbers read as numbers whatever
// zeros lead them ("run-01" is run 1); 0 when no run number fits after them.
int NextBidsRun(const BidsTarget& target);

// A file or folder of run `run` of the subject, session and task in the
// dataset, however its number is written; empty when there is none.
QString ExistingRunEntry(const BidsTarget& target, int run);
