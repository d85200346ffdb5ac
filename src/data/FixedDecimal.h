#pragma once

// Numbers in fixed notation with a set count of decimals, the text printf's
// "%<width>.<precision>f" gives in the C locale, byte for byte: rounded from
// the exact binary value to the nearest, a tie to the even last digit;
// spaces on the left up to the width; the sign of a negative zero and of a
// negative value that rounds to zero kept ("-0.0000"); "inf", "nan" and
// their negatives spelt the same way.
//
// Record files hold over a million such numbers, so the usual case is done
// in integer arithmetic; rare values (infinities, NaN, values too large for
// 64-bit units of the last decimal) go through std::to_chars, which follows
// printf's definition as well.

// Room for the longest text: the largest double with nine decimals.
constexpr int FixedDecimalCapacity = 400;

// Writes value with precision decimals (0 to 9), padded to width, from out;
// returns the end. out must have room for FixedDecimalCapacity characters
// and for width; bytes past the end may be overwritten within that room.
char* FormatFixedDecimal(char* out, double value, int width, int precision);
