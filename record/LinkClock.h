#pragma once

#include <chrono>
#include <optional>

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

// The monitor's watchdog as a log sees it: the link is down once 40 ms pass without a frame,
// and up again at the next frame. Nothing is said before the first frame.
class LinkClock {
  public:
    static constexpr std::chrono::milliseconds kSilenceLimit{40};

    // A frame completed at `at`; true when it ends a silence.
    bool Frame(const Moment& at);
    // Once per silence: the moment the link went down, when `now` is that moment or later.
    std::optional<Moment> WentDown(const Moment& now);

  private:
    std::optional<Moment> lastFrame_;
    bool down_ = false;
};

}  // namespace zorvane
