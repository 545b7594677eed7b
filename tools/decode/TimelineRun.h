#pragma once

#include <functional>

#include "ChangeLog.h"
#include "StreamDecoder.h"

namespace zorvane {

struct TimelineOptions {
    const char* vcd = nullptr;  // the dump's file; "-" standard output
    bool stats = false;
    const char* device = nullptr;   // read live, or
    const char* fromLog = nullptr;  // a change log ("-" standard input), or else a capture
};

// --vcd and --stats: reads the device, the log or the capture (through `decodeCapture`, which
// feeds `decoder` and returns the exit status) to its end, writes the dump as it goes and the
// statistics at the end. `changes`, when given, writes its lines as well (not with a dump on
// standard output). Returns the exit status.
int RunTimeline(const TimelineOptions& opt, const LampCaptions& captions, ChangeLog* changes,
                const std::function<int(StreamDecoder& decoder)>& decodeCapture);

}  // namespace zorvane
