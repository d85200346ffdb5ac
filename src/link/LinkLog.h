#pragma once

#include <QLoggingCategory>

// What the link does not show the user: scans that cannot start,
// connections that cannot be made. Shown with QT_LOGGING_RULES="tq580.link=true".
Q_DECLARE_LOGGING_CATEGORY(lcLink)
