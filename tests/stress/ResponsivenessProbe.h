#pragma once

#include <QObject>
#include <QTimer>
#include <algorithm>
#include <chrono>

namespace zorvane::bench {

// Posts an event to the user-interface thread's queue at a fixed interval and notes how long
// each one waits before the event loop gets to it.
class ResponsivenessProbe {
  public:
    explicit ResponsivenessProbe(std::chrono::milliseconds every) {
        timer_.setInterval(every);
        QObject::connect(&timer_, &QTimer::timeout, &context_, [this] { Post(); });
        timer_.start();
    }

    int Answered() const { return answered_; }
    std::chrono::microseconds Worst() const { return worst_; }

  private:
    void Post() {
        const auto posted = std::chrono::steady_clock::now();
        QMetaObject::invokeMethod(
            &context_,
            [this, posted] {
                const auto waited = std::chrono::duration_cast<std::chrono::microseconds>(
                    std::chrono::steady_clock::now() - posted);
                worst_ = std::max(worst_, waited);
                ++answered_;
            },
            Qt::QueuedConnection);
    }

    QObject context_;  // first: outlives the timer that posts to it
    QTimer timer_;
    int answered_ = 0;
    std::chrono::microseconds worst_{0};
};

}  // namespace zorvane::bench
