#include "StopFlag.h"

#include <signal.h>

#include <initializer_list>

namespace zorvane::sim {

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
    sa.sa_flags = 0;  // no SA_RESTART: a blocked wait returns EINTR and the loop sees the flag
    for (const int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaction(sig, &sa, nullptr);  // cannot fail for these signals
    signal(SIGPIPE, SIG_IGN);          // cannot fail for SIGPIPE
}

bool StopRequested() {
    return stopRequested != 0;
}

}  // namespace zorvane::sim
