#include "session/Diagnostics.h"

Q_LOGGING_CATEGORY(lcSession, "tq580.session", QtInfoMsg)
Q_LOGGING_CATEGORY(lcStorage, "tq580.storage", QtInfoMsg)
