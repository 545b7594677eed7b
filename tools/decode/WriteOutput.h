#pragma once

#include <string>

namespace zorvane {

// Writes `text` to standard output at once; on failure says so on standard error, returns false.
bool WriteOutput(const std::string& text);

}  // namespace zorvane
