#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace zorvane {

inline constexpr const char* kConsoleList = "/sys/class/tty/console/active";

// Device numbers of the machine's active console: every terminal named in `activeList` (looked up
// under `devDir`) and /dev/console itself. Names that cannot be resolved are left out.
std::vector<dev_t> ConsoleDevices(const std::string& activeList = kConsoleList,
                                  const std::string& devDir = "/dev");

}  // namespace zorvane
