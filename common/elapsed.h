#pragma once
// The time a command reports having taken: whole milliseconds of a monotonic clock, in seconds.

#include <chrono>

inline double secondsSince(std::chrono::steady_clock::time_point start) {
    const long long nanoseconds =
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start)
            .count();
    return static_cast<double>(nanoseconds / 1000000) * 0.001;
}
