#pragma once

#include <sys/types.h>

#include <string>

namespace zorvane::e2e {

// True when a descriptor of process `pid` refers to `path` (as /proc shows it).
bool Holds(pid_t pid, const std::string& path);

}  // namespace zorvane::e2e
