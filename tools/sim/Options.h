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

struct Options {
    std::string link = "./COM1";
    bool toStdout = false;
    std::string device;          // empty: a pseudo-terminal under `link`
    std::optional<double> rate;  // frames per second; the line rate when not given
    bool unpaced = false;
    std::optional<Pattern> pattern;  // the walk when not given
    double corrupt = 0.0;
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
