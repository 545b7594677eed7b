#include "UiTaskQueue.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace zorvane {

UiTaskQueue::UiTaskQueue() : wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (!wake_.Valid()) return;  // out of descriptors: Wake() falls back to a queued call
    notifier_ = std::make_unique<QSocketNotifier>(wake_.Get(), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &UiTaskQueue::RunPending);
}

void UiTaskQueue::Post(std::function<void()> task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    Wake();
}

void UiTaskQueue::Wake() {
    if (!wake_.Valid()) {
        QMetaObject::invokeMethod(this, "RunPending", Qt::QueuedConnection);
        return;
    }
    const std::uint64_t one = 1;
    // Fails only when the counter is full, and then a wake-up is pending anyway.
    if (::write(wake_.Get(), &one, sizeof one) < 0) return;
}

void UiTaskQueue::RunPending() {
    if (wake_.Valid()) {
        std::uint64_t count = 0;
        // Before taking tasks, so a post that comes later wakes us again; empty is fine too.
        if (::read(wake_.Get(), &count, sizeof count) < 0) count = 0;
    }
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
