#pragma once

#include <chrono>
#include <thread>

namespace zorvane::e2e {

// Asks `done` in short steps until it says yes or `limit` passes; a slow machine only makes it
// take longer, never fail sooner.
template <class Done>
bool PollUntil(std::chrono::milliseconds limit, Done done,
               std::chrono::milliseconds step = std::chrono::milliseconds(10)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(step);
    }
}

}  // namespace zorvane::e2e
