#pragma once

#include <optional>

namespace zorvane {

// Answers --help and --version and refuses anything else, before Qt looks for a display.
// Returns the exit status when the program must end, nullopt when it goes on to the window.
std::optional<int> HandleCommandLine(int argc, char** argv);

}  // namespace zorvane
