#include "FrameTally.h"

#include "CounterFrames.h"
#include "TForm1.h"
#include "TRead.h"

namespace zorvane::stress {

void FrameTally::SetPortSelectPending(bool pending) {
    form_.SetPortSelectPending(pending);
}

void FrameTally::RestartTimer1() {
    form_.RestartTimer1();
}

QWidget* FrameTally::DialogParent() {
    return &form_;
}

void FrameTally::ShowFrame(const TRead& reader) {
    const auto started = std::chrono::steady_clock::now();
    form_.ShowFrame(reader);
    counts_.lastShown = std::chrono::steady_clock::now();
    counts_.showTime += counts_.lastShown - started;
    ++counts_.shown;
    if (closed_) ++counts_.afterClose;
    const auto n = CounterOf(reader.FrameBuffer());
    Check(n.value_or(0), n.has_value());
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

}  // namespace zorvane::stress
