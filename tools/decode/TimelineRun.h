#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "ChangeLog.h"
#include "LampStats.h"
#include "Timeline.h"
#include "VcdWriter.h"

namespace zorvane {

// --vcd and --stats of one input: the waveform dump, written as it goes with a GTKWave save file
// beside it, and the lamps' statistics, written at the end.
class TimelineRun {
  public:
    // `vcd`: the dump's file, "-" for standard output, null for none.
    TimelineRun(const char* vcd, bool stats, const LampCaptions& captions);
    ~TimelineRun();
    TimelineRun(const TimelineRun&) = delete;
    TimelineRun& operator=(const TimelineRun&) = delete;

    // Standard output becomes the dump's file; false, said on standard error, when it cannot.
    bool Open();
    Timeline& Get();
    // After a run that ended with `status`: the statistics where standard output went before.
    // The exit status.
    int Finish(int status);

  private:
    const char* vcdPath_;
    const LampCaptions& captions_;
    bool savedView_ = false;  // the GTKWave save file beside the dump is ours
    std::optional<VcdWriter> vcd_;
    std::optional<LampStats> stats_;
    std::optional<TimelinePair> both_;
    std::FILE* report_ = stdout;
};

}  // namespace zorvane
