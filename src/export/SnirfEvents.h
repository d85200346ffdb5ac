#pragma once

#include <array>
#include <string>
#include <vector>

struct SampleStore;

// One SNIRF stimulus condition: rows of [onset s, duration s, amplitude].
struct SnirfStimulus {
    std::string name;
    std::vector<std::array<double, 3>> rows;
};

constexpr const char* ValueInitializationStimulusName = "Value-Initialization";

// The record's event marks as stimulus conditions, one per event number that
// occurs, in ascending order, named by the number: each start opens a row
// that the next end of the same number closes (duration 0 when none
// follows); an end with no start before it stands for an event already
// running when the record began and spans from 0 to the end. The
// value-initialization points follow as a condition of their own.
// Times are the marks' positions at the record's interval.
std::vector<SnirfStimulus> StimulusConditions(const SampleStore& store);
