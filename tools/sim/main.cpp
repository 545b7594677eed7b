// zorvane-sim: a stand-in for the Vorlan transmitter, so the monitor runs without hardware.
#include <cstdio>
#include <string>
#include <vector>

#include "SimOptions.h"
#include "Simulator.h"
#include "StopFlag.h"

int main(int argc, char** argv) {
    using namespace zorvane::sim;
    const std::vector<std::string> args(argv + 1, argv + argc);
    SimOptions options;
    std::string error;
    if (!ParseSimOptions(args, options, error)) {
        std::fprintf(stderr, "zorvane-sim: %s\nTry 'zorvane-sim --help'.\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    InstallStopHandlers();
    return RunSimulator(options);
}
