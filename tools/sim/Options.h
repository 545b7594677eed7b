#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "Frame.h"

namespace zorvane::sim {

enum class PatternKind { Walk, Count, Random, Fixed };

struct Pattern {
    PatternKind kind = PatternKind::Walk;
    Frame fixed;  // the data of PatternKind::Fixed
};

// Nothing goes out during the last `quiet` of every `period`, counted from the start.
struct Silence {
    std::chrono::milliseconds quiet;
    std::chrono::milliseconds period;
};

// How often a frame has each fault the receiver can see, from 0 to 1.
struct Faults {
    double check1 = 0;  // a wrong check byte in the PLC block
    double check2 = 0;  // a wrong check byte in the RT7720 block
    double noAa = 0;    // one of the two AA bytes missing
    double drop = 0;    // one byte missing
    double noise = 0;   // noise after the frame
    bool Any() const { return check1 + check2 + noAa + drop + noise > 0; }
};

struct Options {
    std::string link = "./COM1";
    bool toStdout = false;
    std::string device;          // empty: a pseudo-terminal under `link`
    std::optional<double> rate;  // frames per second; the line rate when not given
    bool unpaced = false;
    std::optional<Pattern> pattern;  // the walk when not given
    double corrupt = 0.0;
    Faults faults;
    std::string replay;
    bool loop = false;
    std::uint64_t frames = 0;  // 0: until stopped
    std::optional<Silence> silence;
    std::chrono::milliseconds packet{0};  // a USB adapter's latency timer; 0: none
};

// Reads the command line into `options`; the exit status when the program ends here (--help,
// --version, or a command line it cannot take).
std::optional<int> ParseCommandLine(int argc, char** argv, Options& options);

const char* UsageText();

}  // namespace zorvane::sim
