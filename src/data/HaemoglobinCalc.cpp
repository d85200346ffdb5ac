#include "data/HaemoglobinCalc.h"

#include <cmath>

namespace {

constexpr long double OxyFrom770 = 3.49185L;
constexpr long double OxyFrom830 = 6.36668L;
constexpr long double DeoxyFrom770 = 4.70129L;
constexpr long double DeoxyFrom830 = 3.00682L;

}  // namespace

void Brain_Calc(MEAS_DATA_TYPE& sample, int ch, float ini7, float ini8) {
    CH_DATA_TYPE& channel = sample.ch[ch];
    channel.oxhb = 0;
    channel.dxhb = 0;
    channel.status &= static_cast<uint16_t>(~StatusHaemoglobinCalcError);

    const float intensity770 = channel.i770;
    const float intensity830 = channel.i830;
    if (intensity770 == 0 || intensity830 == 0) {
        channel.status |= StatusHaemoglobinCalcError;
        return;
    }
    const float ratio770 = ini7 / intensity770;
    const float ratio830 = ini8 / intensity830;
    // Written so that a NaN ratio passes, as it always has, and is computed through.
    if (ratio830 <= 0 || ratio770 <= 0) {
        channel.status |= StatusHaemoglobinCalcError;
        return;
    }
    const float log770 = static_cast<float>(std::log(static_cast<long double>(ratio770)));
    const float log830 = static_cast<float>(std::log(static_cast<long double>(ratio830)));
    const long double divisor = HaemoglobinDivisor;
    channel.oxhb = static_cast<float>((-OxyFrom770 * log770 + OxyFrom830 * log830) / divisor);
    channel.dxhb = static_cast<float>((DeoxyFrom770 * log770 - DeoxyFrom830 * log830) / divisor);
}
