#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

// Means over a window that slides one sample per column, from a running sum:
// the first column sums its whole window, each further one subtracts the
// sample that leaves and adds the one that enters. Samples outside the
// record (below 0 or from `count` on) are left out of sum and count alike.
//
// A value that is not finite is kept out of the sum and counted apart, and a
// window holding one yields not-a-number; otherwise one such sample would
// spoil the sum, and so the trace, for every later column.
//
// A sample that `present` says is absent (a row without data, where the link
// was lost) is left out of sum and count alike, so a gap pulls no mean.
//
// value(i) gives sample i's value; sink(column, mean) takes each column's mean.
struct EverySamplePresent {
    bool operator()(int32_t) const { return true; }
};
template <typename Value, typename Sink, typename Present = EverySamplePresent>
void SlidingMeans(int32_t first, int32_t columns, int32_t back, int32_t ahead, int32_t count, Value value,
                  Sink sink, Present present = {}) {
    if (columns <= 0) return;
    if (back == 0 && ahead == 0) {  // no average: each column its own sample
        for (int32_t column = 0; column < columns; ++column) sink(column, double(value(first + column)));
        return;
    }
    double sum = 0;
    int32_t used = 0;
    int32_t notFinite = 0;
    auto enter = [&](int32_t i, int sign) {
        if (i < 0 || i >= count || !present(i)) return;
        const double v = value(i);
        if (!std::isfinite(v)) {
            notFinite += sign;
            return;
        }
        sum += sign * v;
        used += sign;
    };
    for (int32_t i = first - back; i <= first + ahead; ++i) enter(i, +1);
    for (int32_t column = 0;; ++column) {
        double mean = std::numeric_limits<double>::quiet_NaN();
        if (notFinite == 0 && used > 0) mean = sum / used;
        sink(column, mean);
        if (column + 1 >= columns) break;
        const int32_t n = first + column;
        enter(n - back, -1);
        enter(n + 1 + ahead, +1);
    }
}
