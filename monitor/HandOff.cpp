#include "HandOff.h"

namespace zorvane {

namespace {
struct CallState {
    bool running = false;
    bool finished = false;
};
}  // namespace

HandOff::HandOff(Poster post) : post_(std::move(post)), shared_(std::make_shared<Shared>()) {}

HandOff::~HandOff() {
    Cancel();
}

bool HandOff::Call(const std::function<void()>& task, const std::function<void()>& meanwhile) {
    auto call = std::make_shared<CallState>();
    {
        std::lock_guard lock(shared_->mutex);
        if (shared_->cancelled) return false;
    }
    // The queued closure owns the shared state, so it stays valid even if this HandOff is gone;
    // it touches `task` only after checking, under the lock, that the caller still waits.
    post_([shared = shared_, call, &task] {
        {
            std::lock_guard lock(shared->mutex);
            if (shared->cancelled) return;
            call->running = true;
        }
        task();
        {
            std::lock_guard lock(shared->mutex);
            call->finished = true;
        }
        // Outside the lock: a caller woken under it would only block again on the mutex.
        shared->changed.notify_all();
    });
    if (meanwhile) meanwhile();
    std::unique_lock lock(shared_->mutex);
    // A task already running must be let finish: it uses the caller's data.
    shared_->changed.wait(lock,
                          [&] { return call->finished || (shared_->cancelled && !call->running); });
    return call->finished;
}

void HandOff::Cancel() {
    std::lock_guard lock(shared_->mutex);
    shared_->cancelled = true;
    shared_->changed.notify_all();
}

}  // namespace zorvane
