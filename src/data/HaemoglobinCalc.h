#pragma once

#include "data/Sample.h"

// The divisor as the sensor's firmware stores it, in single precision
// (25.5100002288818359375).
constexpr float HaemoglobinDivisor = 25.51f;

// Computes oxhb and dxhb of channel ch of the sample from its raw 770 nm and
// 830 nm intensities against the reference intensities ini7 and ini8, and sets
// or clears the calculation error bit. The intensity ratios and their
// logarithms are rounded to single precision, the combination is evaluated in
// extended precision and stored as single, so results match the values the
// device and earlier records give, bit for bit. tohb is left to the caller.
void Brain_Calc(MEAS_DATA_TYPE& sample, int ch, float ini7, float ini8);
