#include "data/Clock.h"

#include <QDateTime>

#include "data/OleDate.h"

double SystemClock::Now() const { return OleDateFromQDateTime(QDateTime::currentDateTime()); }

void SettableClock::AdvanceMilliseconds(int64_t milliseconds) {
    now_ = MillisecondsToOleDate(OleDateToMilliseconds(now_) + milliseconds);
}
