#pragma once

#include <string>
#include <vector>

namespace zorvane::bench {

struct StartupRun {
    double windowMs = -1;  // fork to the main window "Zorvane" mapped on the X server
    double dialogMs = -1;  // fork to the port dialog "Choose port" mapped (first Timer1 tick)
};

struct StartupResult {
    std::vector<StartupRun> runs;
    std::string error;  // set when the figure could not be taken
};

// Starts the real program `runs` times on a private X server, each time in a fresh directory
// holding `namesFile` as names.ini and dangling COM1..COM4 links (so no choice could ever
// reach a real serial device), and times it from fork until its windows are mapped.
StartupResult MeasureStartup(const std::string& program, const std::string& namesFile, int runs);

}  // namespace zorvane::bench
