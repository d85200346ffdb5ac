#include "link/TimeSync.h"

#include "data/Clock.h"
#include "data/OleDate.h"

QString SyncDateTimeString(const Clock& clock) {
    const double sendTime = MillisecondsToOleDate(OleDateToMilliseconds(clock.Now()) + 500);
    const DateTimeParts p = PartsFromOleDate(sendTime);
    return QString::asprintf("TS,%.2d%.2d%.2d%.2d%.2d%.2d", p.year % 100, p.month, p.day, p.hour,
                             p.minute, p.second);
}
