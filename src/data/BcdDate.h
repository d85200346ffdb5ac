#pragma once

#include <cstdint>

// The sensor's packed-BCD start time: date = yy mm dd and time = hh nn ss in
// the low 24 bits, high byte first. Out-of-range fields are corrected (year
// 2000..2099, month and day 1 when impossible, hour/minute/second 0), and a
// day the month does not have (31 April, 29 February 2027) is corrected to 1
// like any other impossible day, so there is always a start time.
double EncodeBCDdate(uint32_t date, uint32_t time);
