#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

// Timing for the benchmarks that measure whole walks and listings in rounds.
namespace ov2::bench {

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The middle of the rounds: one slow round, the machine busy for a moment, does not move it.
inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace ov2::bench
