#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "UniqueFd.h"

namespace zorvane {

// Runs tasks posted from any thread, in order, on the thread that created it; tasks still
// queued when it is destroyed never run. Nothing of ours crosses threads inside Qt's event
// queue: tasks wait in our own mutex-guarded queue and an eventfd wakes this thread, so
// ThreadSanitizer sees every hand-over (it cannot see into an uninstrumented Qt).
class UiTaskQueue : public QObject {
    Q_OBJECT

  public:
    UiTaskQueue();
    void Post(std::function<void()> task);

  private:
    Q_INVOKABLE void RunPending();
    void Wake();

    std::mutex mutex_;
    std::deque<std::function<void()>> tasks_;
    UniqueFd wake_;
    std::unique_ptr<QSocketNotifier> notifier_;  // null without an eventfd: Qt's queue wakes us
};

}  // namespace zorvane
