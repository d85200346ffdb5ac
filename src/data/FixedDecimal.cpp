#include "data/FixedDecimal.h"

#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

constexpr int MaxPrecision = 9;

constexpr auto PowersOfTen = [] {
    std::array<uint64_t, 20> powers{};
    powers[0] = 1;
    for (size_t exponent = 1; exponent < powers.size(); ++exponent) powers[exponent] = powers[exponent - 1] * 10;
    return powers;
}();

constexpr auto LargestScalableMantissa = [] {
    std::array<uint64_t, MaxPrecision + 1> largest{};
    for (int precision = 0; precision <= MaxPrecision; ++precision)
        largest[precision] = std::numeric_limits<uint64_t>::max() / PowersOfTen[precision];
    return largest;
}();

char* PaddedToWidth(char* out, const char* text, int length, int width) {
    const int pad = width - length;
    if (pad > 0) {
        std::memset(out, ' ', static_cast<size_t>(pad));
        out += pad;
    }
    std::memmove(out, text, static_cast<size_t>(length));
    return out + length;
}

char* FormatWithLibrary(char* out, double value, int width, int precision) {
    char text[FixedDecimalCapacity];
    const char* end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, precision).ptr;
    return PaddedToWidth(out, text, static_cast<int>(end - text), width);
}

// |value| in units of the last decimal, rounded to the nearest with ties to
// even; false when the units do not fit in 64 bits.
bool UnitsOfLastDecimal(uint64_t mantissa, int exponent, int precision, uint64_t& units) {
    units = 0;
    if (mantissa == 0) return true;
    // Fewer mantissa bits leave more room for the product below.
    const int trailingZeros = std::countr_zero(mantissa);
    mantissa >>= trailingZeros;
    exponent += trailingZeros;

    // |value| x 10^precision = mantissa x 10^precision x 2^exponent, the first
    // two factors an exact integer.
    if (mantissa > LargestScalableMantissa[precision]) return false;
    const uint64_t product = mantissa * PowersOfTen[precision];

    if (exponent >= 0) {
        if (exponent >= 64 || product > (std::numeric_limits<uint64_t>::max() >> exponent)) return false;
        units = product << exponent;
        return true;
    }
    const int shift = -exponent;
    if (shift > 64) return true;  // below half a unit: rounds to zero
    if (shift == 64) {
        units = product > (uint64_t{1} << 63) ? 1 : 0;  // a tie goes to the even 0
        return true;
    }
    units = product >> shift;
    const uint64_t remainder = product & ((uint64_t{1} << shift) - 1);
    const uint64_t half = uint64_t{1} << (shift - 1);
    if (remainder > half || (remainder == half && (units & 1) != 0)) units++;
    return true;
}

int DecimalDigits(uint64_t value) {
    int digits = 1;
    while (digits < static_cast<int>(PowersOfTen.size()) && value >= PowersOfTen[digits]) digits++;
    return digits;
}

// "00" to "99", two digits per division.
constexpr auto DigitPairs = [] {
    std::array<char, 200> pairs{};
    for (int value = 0; value < 100; ++value) {
        pairs[2 * value] = static_cast<char>('0' + value / 10);
        pairs[2 * value + 1] = static_cast<char>('0' + value % 10);
    }
    return pairs;
}();

// Writes the count lowest digits of value, zeros in front as needed.
void WriteDigits(char* out, uint64_t value, int count) {
    for (; count >= 2; count -= 2) {
        std::memcpy(out + count - 2, &DigitPairs[2 * (value % 100)], 2);
        value /= 100;
    }
    if (count == 1) out[0] = static_cast<char>('0' + value % 10);
}

// The units as the text of a number with Precision decimals. The divisors
// are constants here, so no division instruction is needed.
template <int Precision>
char* WriteUnits(char* out, uint64_t units, bool negative, int width) {
    constexpr uint64_t scale = PowersOfTen[Precision];
    const uint64_t integer = units / scale;
    const int integerDigits = integer < 10 ? 1 : DecimalDigits(integer);
    const int length = (negative ? 1 : 0) + integerDigits + (Precision > 0 ? Precision + 1 : 0);
    const int pad = width - length;
    if (pad > 0) {
        // The field widths leave a few spaces at most: one store, not a call.
        if (pad <= 8) std::memcpy(out, "        ", 8);
        else std::memset(out, ' ', static_cast<size_t>(pad));
        out += pad;
    }
    if (negative) *out++ = '-';
    WriteDigits(out, integer, integerDigits);
    out += integerDigits;
    if constexpr (Precision > 0) {
        *out++ = '.';
        WriteDigits(out, units % scale, Precision);
        out += Precision;
    }
    return out;
}

using UnitsWriter = char* (*)(char*, uint64_t, bool, int);
constexpr UnitsWriter UnitsWriters[MaxPrecision + 1] = {WriteUnits<0>, WriteUnits<1>, WriteUnits<2>, WriteUnits<3>,
                                                        WriteUnits<4>, WriteUnits<5>, WriteUnits<6>, WriteUnits<7>,
                                                        WriteUnits<8>, WriteUnits<9>};

}  // namespace

char* FormatFixedDecimal(char* out, double value, int width, int precision) {
    const uint64_t bits = std::bit_cast<uint64_t>(value);
    const bool negative = (bits >> 63) != 0;
    const int biasedExponent = static_cast<int>((bits >> 52) & 0x7FF);
    const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
    if (biasedExponent == 0x7FF || precision < 0 || precision > MaxPrecision)
        return FormatWithLibrary(out, value, width, precision);

    // |value| = mantissa x 2^exponent; subnormals have no implicit bit.
    const uint64_t mantissa = biasedExponent == 0 ? fraction : fraction | (uint64_t{1} << 52);
    const int exponent = (biasedExponent == 0 ? 1 : biasedExponent) - 1075;
    uint64_t units = 0;
    if (!UnitsOfLastDecimal(mantissa, exponent, precision, units))
        return FormatWithLibrary(out, value, width, precision);

    return UnitsWriters[precision](out, units, negative, width);
}
