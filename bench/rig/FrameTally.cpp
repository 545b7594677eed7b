#include "FrameTally.h"

#include "CounterFrames.h"

namespace zorvane::bench {

void FrameTally::ShowFrame(const LineEvent& event) {
    const auto started = std::chrono::steady_clock::now();
    window_.ShowFrame(event);
    const Frame& frame = event.frame;
    counts_.lastShown = std::chrono::steady_clock::now();
    counts_.showTime += counts_.lastShown - started;
    ++counts_.shown;
    if (closed_) ++counts_.afterClose;
    const auto n = CounterOf(frame);
    Check(n.value_or(0), n.has_value());
    lastShownAt_.store(counts_.lastShown.time_since_epoch().count(), std::memory_order_release);
    shownSoFar_.fetch_add(1, std::memory_order_release);
}

void FrameTally::Check(std::uint64_t n, bool intact) {
    if (!intact || n < next_) {
        ++counts_.bad;
        return;
    }
    counts_.skipped += n - next_;
    ++counts_.inOrder;
    next_ = n + 1;
}

}  // namespace zorvane::bench
