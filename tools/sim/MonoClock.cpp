#include "MonoClock.h"

#include <time.h>

#include <algorithm>

#include "StopFlag.h"

namespace zorvane::sim {

namespace {

// A signal can land between the flag check and the sleep; waking this often bounds the delay.
constexpr Nanos kStopCheck = std::chrono::milliseconds(50);

timespec ToTimespec(Nanos t) {
    const auto s = std::chrono::duration_cast<std::chrono::seconds>(t);
    return {static_cast<time_t>(s.count()), static_cast<long>((t - s).count())};
}

}  // namespace

Nanos MonoNow() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);  // cannot fail for CLOCK_MONOTONIC
    return std::chrono::seconds(ts.tv_sec) + Nanos(ts.tv_nsec);
}

bool SleepUntil(Nanos t) {
    for (;;) {
        if (StopRequested()) return false;
        const Nanos now = MonoNow();
        if (now >= t) return true;
        const timespec until = ToTimespec(std::min(t, now + kStopCheck));
        // Absolute: an early wake-up (EINTR) just goes round again, nothing accumulates.
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr);
    }
}

}  // namespace zorvane::sim
