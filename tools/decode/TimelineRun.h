#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "ChangeLog.h"
#include "LampStats.h"
#include "OutputFile.h"
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

    // Standard output becomes the dump's file, made beside its target; false, said on standard
    // error, when it cannot.
    bool Open();
    // The dump takes its target's place now, its GTKWave save file beside it: a live one once
    // its port is open.
    bool Commit();
    Timeline& Get();
    // After a run that ended with `status`: the dump takes its target's place when the run
    // succeeded, and the statistics go where standard output went before. The exit status.
    int Finish(int status);

  private:
    const char* vcdPath_;
    const LampCaptions& captions_;
    bool viewChecked_ = false;  // the GTKWave save file beside the dump was written or kept
    bool savedView_ = false;    // that save file is ours
    std::optional<VcdWriter> vcd_;
    std::optional<LampStats> stats_;
    std::optional<TimelinePair> both_;
    OutputFile file_;  // an unfinished dump goes with it
    std::FILE* report_ = stdout;
};

}  // namespace zorvane
