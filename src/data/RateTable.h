#pragma once

#include <cstdint>

// Sampling intervals by rate index. Index 0 is a valid record rate but has
// no label in the rate combo boxes (their item i-1 is index i).
constexpr int RateCount = 6;
constexpr int32_t RateTable[RateCount] = {50, 100, 200, 500, 1000, 5000};
constexpr double SamplesPerSecond[RateCount] = {20, 10, 5, 2, 1, 0.2};
constexpr const char* RateLabels[RateCount] = {"", "0.1sec", "0.2sec", "0.5sec", "1.0sec", "5.0sec"};

constexpr bool IsValidRateIndex(int index) { return index >= 0 && index < RateCount; }
