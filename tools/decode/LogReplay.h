#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "Timeline.h"

namespace zorvane {

// Tells a timeline what a change log (--changes output or the monitor's record) says, with the
// times of its lines: local times counted from the first line's, byte offsets at the line rate.
class LogReplay {
  public:
    explicit LogReplay(Timeline& timeline) : timeline_(timeline) {}

    // False, and nothing told, for a line of another form.
    bool Line(std::string_view text, std::string& out);
    // The latest time told.
    Micros Last() const { return last_; }

  private:
    Timeline& timeline_;
    bool begun_ = false;
    std::optional<std::chrono::system_clock::time_point> zero_;
    Micros last_ = 0;
};

// --from-log: reads the change log at `path` ("-": standard input) into `timeline` to its end,
// writing what the timeline makes to standard output as it goes. The exit status.
int ReadLog(const char* path, Timeline& timeline);

}  // namespace zorvane
