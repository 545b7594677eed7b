#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace zorvane {

// Synchronous, cancellable call onto the user-interface thread.
// Call() posts the task through the poster and blocks until the task has returned. Cancel()
// releases a caller waiting for the task at once (one still in its `meanwhile` step once that
// returns); a task that has not started by then never runs. This is
// what lets the window wait for the reader while the reader waits for the window. (Qt's
// blocking queued call cannot be cancelled, so a window shutting down would deadlock on it.)
class HandOff {
  public:
    // Queues a callable to run later on the user-interface thread.
    using Poster = std::function<void(std::function<void()>)>;

    explicit HandOff(Poster post);
    ~HandOff();
    HandOff(const HandOff&) = delete;
    HandOff& operator=(const HandOff&) = delete;

    // True when the task ran; false when the hand-off was cancelled before it started.
    // `meanwhile` runs on the calling thread after the task is posted and before the wait for
    // it, touching nothing the task uses; when it returns after the task, the caller goes on
    // without being woken.
    bool Call(const std::function<void()>& task, const std::function<void()>& meanwhile = {});
    void Cancel();

  private:
    struct Shared {
        std::mutex mutex;
        std::condition_variable changed;
        bool cancelled = false;
    };
    Poster post_;
    std::shared_ptr<Shared> shared_;
};

}  // namespace zorvane
