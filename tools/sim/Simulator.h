#pragma once

#include "SimOptions.h"

namespace zorvane::sim {

// Opens the output, sends until done and reports on standard error. Returns the exit status:
// 0 finished or stopped, 1 a run-time failure.
int RunSimulator(const SimOptions& options);

}  // namespace zorvane::sim
