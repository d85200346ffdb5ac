#pragma once

#include <QStringList>
#include <QTextStream>

#include "app/UploadAllOptions.h"

// Collects every stored record as the request asks, without a window, on
// the central that CreateCentral makes of centralArguments: scans, uploads
// up to request.parallel sensors at once and saves each record in the
// folder; a line a second goes to out, each sensor's outcome to out (saved)
// or err (not saved, with its reason). Runs the application's event loop;
// returns the exit code.
int RunUploadAllCommand(const UploadAllRequest& request, const QStringList& centralArguments, QTextStream& out,
                        QTextStream& err);
