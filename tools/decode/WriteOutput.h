#pragma once

#include <string>

namespace zorvane {

// Writes `text` to standard output; on failure says so on standard error and returns false.
bool WriteOutput(const std::string& text);

}  // namespace zorvane
