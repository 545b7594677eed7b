#pragma once

#include <optional>

#include "FrameSource.h"
#include "Output.h"
#include "Pace.h"
#include "Silence.h"

namespace zorvane::sim {

struct LoopSettings {
    std::optional<Pace> pace;  // none: as fast as the output takes
    std::optional<Silence> silence;
    std::uint64_t frameLimit = 0;  // 0: until stopped or the source runs out
};

struct LoopReport {
    std::uint64_t frames = 0;    // taken from the source
    std::uint64_t sent = 0;      // of those, handed to the line
    std::uint64_t dropped = 0;   // the line was busy
    std::uint64_t noReader = 0;  // nobody had the pseudo-terminal open
    std::uint64_t skipped = 0;   // slots passed over after the process was held up
    bool failed = false;         // the output's error() says why
};

// Sends frame after frame until the limit, the end of the source, a stop request or a failure.
LoopReport RunSendLoop(FrameSource& source, Output& output, const LoopSettings& settings);

}  // namespace zorvane::sim
