#pragma once

#include <QStringList>
#include <QTextStream>

#include "app/RecordRequest.h"

// Measures as the request asks, without a window, on the central that
// CreateCentral makes of centralArguments: scans, connects the sensors,
// records until the duration has passed or SIGINT or SIGTERM comes, saves a
// file per sensor and returns the exit code. Runs the application's event
// loop; progress goes to out, errors to err.
int RunRecordCommand(const RecordRequest& request, const QStringList& centralArguments, QTextStream& out,
                     QTextStream& err);
