#pragma once

#include <cstdint>

#include "FrameSource.h"
#include "Options.h"
#include "Output.h"

namespace zorvane::sim {

struct LoopReport {
    std::uint64_t frames = 0;    // taken from the source
    std::uint64_t sent = 0;      // of those, handed to the line
    std::uint64_t dropped = 0;   // the line was busy
    std::uint64_t noReader = 0;  // nobody had the pseudo-terminal open
    std::uint64_t skipped = 0;   // slots given up after the process was held up
    bool failed = false;         // the output's error() says why
};

// Sends frame after frame, paced and with the silences the options ask for, until the frame
// limit, the end of the source, a stop request or a failure.
LoopReport RunSendLoop(FrameSource& source, Output& output, const Options& options,
                       const StopRequest& stop);

}  // namespace zorvane::sim
