#include "export/SnirfEvents.h"

#include <algorithm>
#include <deque>
#include <map>

#include "data/RateTable.h"
#include "data/SampleStore.h"

namespace {

struct Mark {
    int32_t position;
    int32_t code;
};

std::vector<Mark> UsedMarksInRecord(const SampleStore& store) {
    std::vector<Mark> marks;
    for (const EVENT_MARK_TYPE& mark : store.EventMarks) {
        if (mark.sample < 0) break;
        if (mark.sample < store.SampleCount) marks.push_back({mark.sample, mark.code});
    }
    return marks;
}

}  // namespace

std::vector<SnirfStimulus> StimulusConditions(const SampleStore& store) {
    const double secondsPerSample = RateTable[store.RecordRateIndex] / 1000.0;

    // A code of 0 or more starts event `code`, a negative one ends event -code.
    struct Number {
        SnirfStimulus stimulus;
        std::deque<int32_t> open;   // positions of starts not yet ended, the earliest first
        bool marked = false;        // a mark of this number came before
    };
    std::map<int32_t, Number> byNumber;
    for (const Mark& mark : UsedMarksInRecord(store)) {
        const int32_t number = mark.code >= 0 ? mark.code : -mark.code;
        Number& event = byNumber[number];
        event.stimulus.name = std::to_string(number);
        const double onset = mark.position * secondsPerSample;
        if (mark.code >= 0) {
            event.open.push_back(mark.position);
        } else if (!event.open.empty()) {
            // Starts end in the order they came, as overlapping trials of one number do.
            const int32_t start = event.open.front();
            event.open.pop_front();
            event.stimulus.rows.push_back({start * secondsPerSample, (mark.position - start) * secondsPerSample, 1.0});
        } else if (!event.marked) {
            event.stimulus.rows.push_back({0.0, onset, 1.0});  // running when the record began
        } else {
            event.stimulus.rows.push_back({onset, 0.0, 1.0});  // its start was not marked
        }
        event.marked = true;
    }
    // A start that no end follows lasts 0.
    for (auto& [number, event] : byNumber)
        for (const int32_t start : event.open) event.stimulus.rows.push_back({start * secondsPerSample, 0.0, 1.0});

    std::vector<SnirfStimulus> conditions;
    for (auto& [number, event] : byNumber) {
        std::sort(event.stimulus.rows.begin(), event.stimulus.rows.end());
        conditions.push_back(std::move(event.stimulus));
    }

    SnirfStimulus initialization{ValueInitializationStimulusName, {}};
    for (int32_t position = 0; position < store.SampleCount; ++position) {
        if (store.Samples[position].ch[0].status & StatusInitPoint)
            initialization.rows.push_back({position * secondsPerSample, 0.0, 1.0});
    }
    if (!initialization.rows.empty()) conditions.push_back(std::move(initialization));
    return conditions;
}
