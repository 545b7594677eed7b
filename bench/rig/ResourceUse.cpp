#include "ResourceUse.h"

#include <time.h>

#include <fstream>
#include <string>

namespace zorvane::bench {

std::chrono::nanoseconds ProcessCpu() {
    // Exact to the nanosecond, unlike getrusage's tick-sampled split into user and system.
    timespec ts{};
    (void)::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);  // cannot fail for this clock
    return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
}

double ResidentMiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            double kib = 0;
            status >> kib;
            return kib / 1024.0;
        }
        status.ignore(1 << 12, '\n');
    }
    return -1;
}

double PercentOfCore(std::chrono::nanoseconds cpu, std::chrono::nanoseconds wall) {
    if (wall.count() <= 0) return 0;
    return 100.0 * static_cast<double>(cpu.count()) / static_cast<double>(wall.count());
}

}  // namespace zorvane::bench
