#pragma once

#include <QStringList>

#include "export/BidsNames.h"
#include "export/BidsSidecars.h"

class QTextStream;

// Writes saved record files into a BIDS dataset without a window, each as
// the next run of the target's subject, session and task, in the order
// given (from target.firstRun on when set). Prints one line per run written
// on `out` and one line with the reason per record not written on `err`;
// such a record leaves nothing behind and takes no run number, and the
// others are still written. A damaged record is written with its lines named
// on `err` (ReadWholeRecordFile). Returns 0 when every record was written
// whole, 1 otherwise. The target's labels must have passed BidsTargetProblem.
int ExportBidsFiles(const QStringList& inputs, const BidsTarget& target, const BidsSoftware& software,
                    QTextStream& out, QTextStream& err);
