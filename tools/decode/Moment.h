#pragma once

#include <chrono>

namespace zorvane {

// A point in time on both clocks: the steady one measures silences, the wall clock goes in the
// log.
struct Moment {
    std::chrono::steady_clock::time_point tick;
    std::chrono::system_clock::time_point wall;

    static Moment Now() {
        return {std::chrono::steady_clock::now(), std::chrono::system_clock::now()};
    }
    Moment After(std::chrono::milliseconds span) const { return {tick + span, wall + span}; }
};

}  // namespace zorvane
