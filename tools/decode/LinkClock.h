#pragma once

#include <chrono>
#include <optional>

#include "Moment.h"

namespace zorvane {

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
