#include "LinkClock.h"

#include <utility>

namespace zorvane {

bool LinkClock::Frame(const Moment& at) {
    lastFrame_ = at;
    return std::exchange(down_, false);
}

std::optional<Moment> LinkClock::WentDown(const Moment& now) {
    if (!lastFrame_ || down_ || now.tick - lastFrame_->tick < kSilenceLimit) return std::nullopt;
    down_ = true;
    // When it happened, not when a read that brought nothing noticed it.
    return lastFrame_->After(kSilenceLimit);
}

}  // namespace zorvane
