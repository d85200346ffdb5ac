#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <ostream>
#include <random>
#include <string>

#include "data/FixedDecimal.h"

namespace {

std::string Formatted(double value, int width, int precision) {
    char buffer[FixedDecimalCapacity + 64];
    return std::string(buffer, FormatFixedDecimal(buffer, value, width, precision));
}

// What the record writer produced before it formatted numbers itself:
// std::to_chars in fixed notation, spaces on the left up to the width.
std::string LibraryFormatted(double value, int width, int precision) {
    char buffer[FixedDecimalCapacity];
    char* const end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision).ptr;
    std::string text(buffer, end);
    if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<size_t>(width) - text.size(), ' ');
    return text;
}

struct Case {
    double value;
    int width;
    int precision;
    const char* text;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << std::hexfloat << c.value << std::defaultfloat << " as %" << c.width << '.' << c.precision << 'f';
}

class FixedDecimalCases : public ::testing::TestWithParam<Case> {};

TEST_P(FixedDecimalCases, ReadLikePrintf) {
    const Case& c = GetParam();
    EXPECT_EQ(Formatted(c.value, c.width, c.precision), c.text);
    EXPECT_EQ(Formatted(c.value, c.width, c.precision), LibraryFormatted(c.value, c.width, c.precision));
}

const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Infinity = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Values, FixedDecimalCases,
    ::testing::Values(
        // Exact ties go to the even last digit; near-ties by the exact binary value.
        Case{0.125, 0, 2, "0.12"}, Case{0.375, 0, 2, "0.38"}, Case{-0.125, 6, 2, " -0.12"}, Case{2.5, 0, 0, "2"},
        Case{3.5, 0, 0, "4"}, Case{0.5, 0, 0, "0"}, Case{0.25, 3, 1, "0.2"}, Case{0.75, 3, 1, "0.8"},
        Case{0.35, 3, 1, "0.3"}, Case{double{12.35f}, 3, 1, "12.4"}, Case{double{0.05f}, 3, 1, "0.1"},
        Case{0.00005, 7, 4, " 0.0001"}, Case{double{0.00005f}, 7, 4, " 0.0000"}, Case{1.00005, 7, 4, " 1.0001"},
        Case{double{0.6543f} * 100.0, 6, 2, " 65.43"}, Case{double{0.641f} * 100.0, 6, 2, " 64.10"},
        Case{0.99995, 7, 4, " 1.0000"}, Case{9.99995, 7, 4, "10.0000"}, Case{9.5, 3, 0, " 10"},
        Case{99.995, 6, 2, "100.00"}, Case{0.995, 5, 2, " 0.99"},
        // Zeros keep their sign, also when a negative value rounds to zero.
        Case{0.0, 7, 4, " 0.0000"}, Case{-0.0, 7, 4, "-0.0000"}, Case{-0.00004, 7, 4, "-0.0000"},
        Case{-0.00005, 7, 4, "-0.0001"}, Case{-0.04, 3, 1, "-0.0"},
        // Tiny values, down to the smallest subnormal.
        Case{5e-324, 7, 4, " 0.0000"}, Case{-5e-324, 7, 4, "-0.0000"}, Case{2.2250738585072014e-308, 5, 2, " 0.00"},
        Case{std::ldexp(1.0, -64) * 3, 0, 9, "0.000000000"}, Case{0.0000000005, 0, 9, "0.000000001"},
        // Large values; beyond 64-bit units of the last decimal the library takes over.
        Case{1e9, 7, 4, "1000000000.0000"}, Case{123.456, 3, 1, "123.5"}, Case{-1234567.25, 5, 2, "-1234567.25"},
        Case{1844674407370955.0, 0, 4, "1844674407370955.0000"}, Case{18446744073709551616.0, 0, 0, "18446744073709551616"},
        Case{1e20, 7, 4, "100000000000000000000.0000"},
        Case{double{std::numeric_limits<float>::max()}, 7, 4, "340282346638528859811704183484516925440.0000"},
        Case{-double{std::numeric_limits<float>::max()} * 100.0, 6, 2,
             "-34028234663852885981170418348451692544000.00"},
        // What printf writes for values that are no numbers.
        Case{NaN, 7, 4, "    nan"}, Case{-NaN, 7, 4, "   -nan"}, Case{Infinity, 7, 4, "    inf"},
        Case{-Infinity, 6, 2, "  -inf"}));

// Every kind of float the record holds, and the STO2 column's product of a
// float and 100, in all the field formats: byte for byte what the library wrote.
TEST(FixedDecimal, AgreesWithTheLibraryOnRandomValues) {
    std::mt19937_64 random(20261210);
    struct Format {
        int width;
        int precision;
    };
    const Format formats[] = {{3, 1}, {5, 2}, {7, 4}, {6, 2}, {0, 0}, {0, 9}};
    int mismatches = 0;
    for (int i = 0; i < 200000 && mismatches < 10; ++i) {
        double value = 0;
        switch (i % 4) {
        case 0:  // any float bit pattern
            value = std::bit_cast<float>(static_cast<uint32_t>(random()));
            break;
        case 1:  // measurement-sized floats
            value = static_cast<float>(std::ldexp(static_cast<double>(random() % 2000001) - 1000000.0, -static_cast<int>(random() % 40)));
            break;
        case 2:  // STO2 in percent
            value = static_cast<double>(std::bit_cast<float>(static_cast<uint32_t>(random()))) * 100.0;
            break;
        default:  // any double bit pattern
            value = std::bit_cast<double>(static_cast<uint64_t>(random()));
            break;
        }
        for (const Format& format : formats) {
            const std::string expected = LibraryFormatted(value, format.width, format.precision);
            const std::string actual = Formatted(value, format.width, format.precision);
            if (actual != expected) {
                ++mismatches;
                ADD_FAILURE() << std::hexfloat << value << " as %" << format.width << '.' << format.precision
                              << "f: " << actual << " instead of " << expected;
            }
        }
    }
}

// Values one unit of the last place either side of every tie k + 0.5 of the
// last decimal kept, where rounding is decided.
TEST(FixedDecimal, AgreesWithTheLibraryAroundHalfwayValues) {
    for (const int precision : {1, 2, 4}) {
        const double unit = std::pow(10.0, -precision);
        for (int k = -20000; k <= 20000; ++k) {
            const double halfway = (k + 0.5) * unit;
            for (const double value : {std::nextafter(halfway, -1e9), halfway, std::nextafter(halfway, 1e9),
                                       static_cast<double>(static_cast<float>(halfway))}) {
                ASSERT_EQ(Formatted(value, 7, precision), LibraryFormatted(value, 7, precision))
                    << std::hexfloat << value << " with " << precision << " decimals";
            }
        }
    }
}

}  // namespace
