#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace zorvane::bench {

struct X11Programs {
    std::string monitor;    // zorvane
    std::string simulator;  // zorvane-sim
    std::string namesFile;  // copied into the run's folder as names.ini
    std::string decoder;    // zorvane-decode
};

struct X11Result {
    double monitorCpuPercent = 0;  // of one core
    double serverCpuPercent = 0;   // Xvfb, of one core
    double voluntarySwitchesPerFrame = 0;
    double involuntarySwitchesPerFrame = 0;  // preemptions: grow with other load on the machine
    std::string error;                       // set when the figure could not be taken
    double SwitchesPerFrame() const {
        return voluntarySwitchesPerFrame + involuntarySwitchesPerFrame;
    }
};

// The real program on a private X server, fed by the simulator at the line rate with
// `simulatorOptions` (a pattern, an adapter's packets): starts both in a fresh folder, presses
// OK in "Choose port" (xdotool), waits until the port is open and frames flow, then measures
// for `duration` from /proc. Everything started is ended before this returns.
X11Result MeasureX11LineRate(const X11Programs& programs,
                             const std::vector<std::string>& simulatorOptions,
                             std::chrono::milliseconds duration);

// The floor to compare the monitor with: `zorvane-decode --device COM1` reading the same line
// (the simulator with the same options) with no screen, its output discarded; measured like
// the monitor. Only the program's own figures are set.
X11Result MeasureDecoderAlone(const X11Programs& programs,
                              const std::vector<std::string>& simulatorOptions,
                              std::chrono::milliseconds duration);

}  // namespace zorvane::bench
