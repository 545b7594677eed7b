#include "StopRequest.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace zorvane {

namespace {

// The only values the handler touches.
volatile sig_atomic_t stopAsked = 0;
volatile sig_atomic_t wakeFd = -1;

extern "C" void OnStopSignal(int) {
    const int saved = errno;
    stopAsked = 1;
    const char byte = 1;
    const bool woken = wakeFd < 0 || ::write(wakeFd, &byte, 1) == 1;
    (void)woken;    // a full pipe has a wake-up pending already
    errno = saved;  // the interrupted code may be about to read it
}

}  // namespace

StopRequest::StopRequest() {
    stopAsked = 0;
    int fds[2];
    // Out of descriptors: the flag alone still tells.
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
        read_ = UniqueFd(fds[0]);
        write_ = UniqueFd(fds[1]);
        wakeFd = write_.Get();
    }
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // Reads and writes carry on; poll and sleeps return early, and every wait is bounded anyway.
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        // Cannot fail for these signals.
        sigaction(kSignals[i], nullptr, &before_[i]);
        taken_[i] = kSignals[i] != SIGHUP || before_[i].sa_handler != SIG_IGN;  // nohup meant it
        if (taken_[i]) sigaction(kSignals[i], &action, nullptr);
    }
}

StopRequest::~StopRequest() {
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        if (taken_[i]) sigaction(kSignals[i], &before_[i], nullptr);
    wakeFd = -1;
}

bool StopRequest::Requested() const {
    return stopAsked != 0;
}

void StopRequest::Drain() const {
    char drained[16];
    while (read_.Valid() && ::read(read_.Get(), drained, sizeof drained) > 0)
        continue;  // until empty: the pipe does not block
}

}  // namespace zorvane
