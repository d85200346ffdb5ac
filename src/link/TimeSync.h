#pragma once

#include <QString>

class Clock;

// "TS,yymmddhhnnss" of the local time plus 500 ms, which the sensor takes as
// its clock when it arrives in front of a command.
QString SyncDateTimeString(const Clock& clock);
