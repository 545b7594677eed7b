#pragma once

#include <optional>
#include <string>

namespace zorvane {

// What the command line asks of the window.
struct MonitorArguments {
    std::string namesFile = "names.ini";  // relative to the current folder
    std::string port;                     // opened at start without the dialog; empty: none
};

// Answers --help and --version and refuses what it cannot take, before Qt looks for a display.
// Returns the exit status when the program must end, nothing when it goes on to the window.
std::optional<int> HandleCommandLine(int argc, char** argv, MonitorArguments& arguments);

}  // namespace zorvane
