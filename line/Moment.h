#pragma once

#include <chrono>

namespace zorvane {

// A point in time on both clocks: the steady one measures gaps and silences, the wall clock is
// what a person reads.
struct Moment {
    std::chrono::steady_clock::time_point tick;
    std::chrono::system_clock::time_point wall;

    static Moment Now() {
        return {std::chrono::steady_clock::now(), std::chrono::system_clock::now()};
    }
    template <typename Rep, typename Period>
    Moment After(std::chrono::duration<Rep, Period> span) const {
        const auto d = std::chrono::duration_cast<std::chrono::nanoseconds>(span);
        return {tick + d,
                wall + std::chrono::duration_cast<std::chrono::system_clock::duration>(d)};
    }
    bool operator==(const Moment&) const = default;
};

}  // namespace zorvane
