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
// occurs, in ascending order, named by the number. Every mark is in a row:
// an end closes the earliest start of its number still open into a row with
// its duration (a second start before the end stays open); a start no end
// closes lasts 0; an end before any mark of its number stands for an event
// already running when the record began and spans from 0 to the end; any
// other end with no open start is a row of its own lasting 0. The
// value-initialization points follow as a condition of their own.
// Times are the marks' positions at the record's interval.
std::vector<SnirfStimulus> StimulusConditions(const SampleStore& store);
