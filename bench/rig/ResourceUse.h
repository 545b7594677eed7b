#pragma once

#include <chrono>

namespace zorvane::bench {

// CPU time of the whole process, all threads, user and system.
std::chrono::nanoseconds ProcessCpu();

// Resident set size of this process in MiB, or a negative value when it cannot be read.
double ResidentMiB();

// Share of one core, in percent, that `cpu` is of `wall`.
double PercentOfCore(std::chrono::nanoseconds cpu, std::chrono::nanoseconds wall);

}  // namespace zorvane::bench
