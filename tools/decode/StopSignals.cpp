#include "StopSignals.h"

#include <signal.h>

namespace zorvane {

namespace {

// The one value a signal handler may touch.
volatile sig_atomic_t stopRequested = 0;

extern "C" void OnStopSignal(int) {
    stopRequested = 1;
}

}  // namespace

void InstallStopHandlers() {
    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;  // no SA_RESTART: the loop sees the flag within one read time-out
    sigaction(SIGINT, &sa, nullptr);   // cannot fail for these signals
    sigaction(SIGTERM, &sa, nullptr);  // same
    signal(SIGPIPE, SIG_IGN);          // same
}

bool StopRequested() {
    return stopRequested != 0;
}

}  // namespace zorvane
