#pragma once

#include <QLoggingCategory>

#include "link/LinkLog.h"

// What the program does not show the user goes to one category per
// subsystem (the link's is its own); QT_LOGGING_RULES="tq580.*=true" shows it all.
Q_DECLARE_LOGGING_CATEGORY(lcSession)
Q_DECLARE_LOGGING_CATEGORY(lcStorage)
