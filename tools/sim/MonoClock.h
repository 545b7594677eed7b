#pragma once

#include "Pace.h"

namespace zorvane::sim {

// CLOCK_MONOTONIC since boot: the time base of every deadline of the simulator.
Nanos MonoNow();

// Sleeps until the absolute time `t`; false when a stop was requested first.
bool SleepUntil(Nanos t);

}  // namespace zorvane::sim
