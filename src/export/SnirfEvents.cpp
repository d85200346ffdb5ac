#include "export/SnirfEvents.h"

#include <algorithm>
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
    const std::vector<Mark> marks = UsedMarksInRecord(store);

    // A code of 0 or more starts event `code`, a negative one ends event -code.
    std::map<int32_t, SnirfStimulus> byNumber;
    for (size_t i = 0; i < marks.size(); ++i) {
        const int32_t number = marks[i].code >= 0 ? marks[i].code : -marks[i].code;
        SnirfStimulus& stimulus = byNumber[number];
        stimulus.name = std::to_string(number);
        const double onset = marks[i].position * secondsPerSample;
        if (marks[i].code >= 0) {
            double duration = 0;
            for (size_t j = i + 1; j < marks.size(); ++j) {
                if (marks[j].code == -number && marks[i].code != 0) {
                    duration = (marks[j].position - marks[i].position) * secondsPerSample;
                    break;
                }
            }
            stimulus.rows.push_back({onset, duration, 1.0});
        } else {
            bool started = false;
            for (size_t j = 0; j < i && !started; ++j) started = marks[j].code == number;
            if (!started) stimulus.rows.push_back({0.0, onset, 1.0});
        }
    }

    std::vector<SnirfStimulus> conditions;
    for (auto& [number, stimulus] : byNumber) {
        std::sort(stimulus.rows.begin(), stimulus.rows.end());
        conditions.push_back(std::move(stimulus));
    }

    SnirfStimulus initialization{ValueInitializationStimulusName, {}};
    for (int32_t position = 0; position < store.SampleCount; ++position) {
        if (store.Samples[position].ch[0].status & StatusInitPoint)
            initialization.rows.push_back({position * secondsPerSample, 0.0, 1.0});
    }
    if (!initialization.rows.empty()) conditions.push_back(std::move(initialization));
    return conditions;
}
