#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace zorvane {

// A stop request that can also cut a wait short.
class StopSignal {
  public:
    void Request() {
        std::lock_guard lock(mutex_);
        requested_ = true;
        changed_.notify_all();
    }
    bool Requested() const {
        std::lock_guard lock(mutex_);
        return requested_;
    }
    // Sleeps until the deadline or a stop request; true when stop was requested.
    bool WaitUntil(std::chrono::steady_clock::time_point deadline) {
        std::unique_lock lock(mutex_);
        return changed_.wait_until(lock, deadline, [this] { return requested_; });
    }

  private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool requested_ = false;
};

}  // namespace zorvane
