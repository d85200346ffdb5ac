#include "data/BcdDate.h"

#include "data/OleDate.h"

namespace {

// 10 x high nibble + low nibble; nibbles above 9 are taken as they come.
int BcdField(uint32_t word, int shift) {
    const uint32_t byte = (word >> shift) & 0xFF;
    return static_cast<int>((byte >> 4) * 10 + (byte & 0x0F));
}

}  // namespace

double EncodeBCDdate(uint32_t date, uint32_t time) {
    DateTimeParts parts;
    const int year = BcdField(date, 16);
    parts.year = 2000 + (year > 99 ? 0 : year);
    parts.month = BcdField(date, 8);
    if (parts.month == 0 || parts.month > 12) parts.month = 1;
    parts.day = BcdField(date, 0);
    if (parts.day == 0 || parts.day > 31) parts.day = 1;
    parts.hour = BcdField(time, 16);
    if (parts.hour > 23) parts.hour = 0;
    parts.minute = BcdField(time, 8);
    if (parts.minute > 59) parts.minute = 0;
    parts.second = BcdField(time, 0);
    if (parts.second > 59) parts.second = 0;
    parts.millisecond = 0;

    if (const auto encoded = OleDateFromParts(parts)) return *encoded;
    // Every field is in range by now, so only the day can be missing from its month.
    parts.day = 1;
    return *OleDateFromParts(parts);
}
