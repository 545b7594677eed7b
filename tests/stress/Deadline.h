#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace zorvane::bench {

// Aborts the test program with a message when the guarded scope outlives `limit`: a shutdown
// that deadlocks fails at once and says where, instead of waiting for the CTest time-out.
class Deadline {
  public:
    Deadline(std::chrono::milliseconds limit, const char* what)
        : thread_([this, limit, what] {
              std::unique_lock lock(mutex_);
              if (!changed_.wait_for(lock, limit, [this] { return done_; })) {
                  std::fprintf(stderr, "deadline passed: %s\n", what);
                  std::abort();
              }
          }) {}
    ~Deadline() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool done_ = false;
    std::thread thread_;  // last: starts once the rest exists
};

}  // namespace zorvane::bench
