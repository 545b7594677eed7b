#include "StopSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace zorvane {

namespace {

// The one value the handler may touch: the pipe's end that wakes the user-interface thread.
volatile sig_atomic_t wakeFd = -1;

extern "C" void OnStopSignal(int) {
    const int saved = errno;
    const char byte = 1;
    const bool woken = ::write(wakeFd, &byte, 1) == 1;
    (void)woken;    // a full pipe has a wake-up pending already
    errno = saved;  // the interrupted code may be about to read it
}

}  // namespace

StopSignals::StopSignals(std::function<void()> onStop) {
    int fds[2];
    // Out of descriptors: the signals keep their actions, and end the program as before.
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    read_ = UniqueFd(fds[0]);
    write_ = UniqueFd(fds[1]);
    wakeFd = write_.Get();
    notifier_ = std::make_unique<QSocketNotifier>(read_.Get(), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated,
                     [this, onStop = std::move(onStop)] {
                         char drained[16];
                         while (::read(read_.Get(), drained, sizeof drained) > 0)
                             continue;  // until empty: the pipe does not block
                         onStop();
                     });
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        // Cannot fail for these signals.
        sigaction(kSignals[i], nullptr, &before_[i]);
        taken_[i] = before_[i].sa_handler != SIG_IGN;  // nohup and the like meant it
        if (taken_[i]) sigaction(kSignals[i], &action, nullptr);
    }
}

StopSignals::~StopSignals() {
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        if (taken_[i]) sigaction(kSignals[i], &before_[i], nullptr);
    wakeFd = -1;
}

}  // namespace zorvane
