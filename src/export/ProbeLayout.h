#pragma once

#include "data/Sample.h"

// The sensor's optodes as the export files describe them. Each channel's
// light enters at one point of the forehead and leaves 35 mm further out,
// the left channel on the left, the right one on the right (x to the right,
// y forward, z up, in mm). The positions are nominal: the program never
// learns where the sensor was placed.
constexpr const char* ProbeChannelNames[ChannelCount] = {"CH1(L)", "CH2(R)"};
constexpr double ProbeWavelengths[2] = {770.0, 830.0};
constexpr double SourcePositions[ChannelCount][3] = {{-15, 90, 30}, {15, 90, 30}};
constexpr double DetectorPositions[ChannelCount][3] = {{-50, 90, 30}, {50, 90, 30}};
