#include "UiTaskQueue.h"

namespace zorvane {

void UiTaskQueue::Post(std::function<void()> task) {
    bool wasEmpty = false;
    {
        std::lock_guard lock(mutex_);
        wasEmpty = tasks_.empty();
        tasks_.push_back(std::move(task));
    }
    // A queue that held tasks already has a wake-up on its way, and RunPending() drains it.
    if (wasEmpty) QMetaObject::invokeMethod(this, &UiTaskQueue::RunPending, Qt::QueuedConnection);
}

void UiTaskQueue::RunPending() {
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lock(mutex_);
            if (tasks_.empty()) return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();  // unlocked: a task may post again
    }
}

}  // namespace zorvane
