#include "link/LinkLog.h"

Q_LOGGING_CATEGORY(lcLink, "tq580.link", QtInfoMsg)
