#pragma once

#include <QObject>
#include <deque>
#include <functional>
#include <mutex>

namespace zorvane {

// Runs tasks posted from any thread, in order, on the thread that created it; tasks still
// queued when it is destroyed never run. The tasks wait in our own mutex-guarded queue, so
// ThreadSanitizer sees every hand-over (it cannot see into an uninstrumented Qt); Qt's event
// queue only carries the wake-up, once for tasks posted together.
class UiTaskQueue : public QObject {
    Q_OBJECT

  public:
    void Post(std::function<void()> task);

  private:
    void RunPending();

    std::mutex mutex_;
    std::deque<std::function<void()>> tasks_;
};

}  // namespace zorvane
