#pragma once

#include <getopt.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zorvane {

// How every program reads its command line and speaks about it.
struct Program {
    const char* name;   // "zorvane-decode", first word of every message
    const char* usage;  // --help's text
};

struct ReadOptionsResult {
    std::optional<int> exit;  // set: the program ends here with this status
    int firstOperand = 0;     // argv's first word after the options
};

// Takes each option's value; returns what is wrong with it, or nothing.
using TakeOption = std::function<std::string(int code, const char* value)>;

// Reads the options with getopt_long. From now on SIGPIPE is ignored: a closed output fails its
// write, which the program then reports, rather than killing it. --help (code 'h') and --version
// (code 'V') print and end the program; every other option goes to `take`. An option that is
// unknown, ambiguous, lacks its value or has one it takes not, and a value `take` refuses, end it
// as UsageError does.
ReadOptionsResult ReadOptions(const Program& program, int argc, char** argv,
                              const char* shortOptions, const option* longOptions,
                              const TakeOption& take);

// "NAME: PROBLEM" and "Try 'NAME --help'." on standard error; returns 2, the status for it.
int UsageError(const Program& program, std::string_view problem);

// Writes `text` to standard output and flushes it: 0, or 1 when it could not be written (a full
// disk, a closed pipe), which is said on standard error.
int PrintText(const Program& program, std::string_view text);

}  // namespace zorvane
