#pragma once

#include <QLoggingCategory>

// What the program does not show the user goes to one category per
// subsystem; QT_LOGGING_RULES="tq580.*=true" shows it all.
Q_DECLARE_LOGGING_CATEGORY(lcSession)
Q_DECLARE_LOGGING_CATEGORY(lcLink)
Q_DECLARE_LOGGING_CATEGORY(lcStorage)
Q_DECLARE_LOGGING_CATEGORY(lcFiles)
