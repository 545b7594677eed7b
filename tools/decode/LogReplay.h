#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "LogFiles.h"
#include "LogLine.h"
#include "TextLines.h"
#include "Timeline.h"

namespace zorvane {

// Tells a timeline what a change log (--changes output or the monitor's record) says, with the
// times of its lines: local times counted from the first line's, byte offsets at the line rate.
class LogReplay {
  public:
    explicit LogReplay(Timeline& timeline) : timeline_(timeline) {}

    void Line(const LogLine& line, std::string& out);
    // The latest time told.
    Micros Last() const { return last_; }

  private:
    Timeline& timeline_;
    bool begun_ = false;
    bool running_ = false;  // a record-start without its record-end yet
    // The line's health: of the runs before the present one, and the present one's latest.
    std::optional<LineHealth> runsBefore_;
    std::optional<LineHealth> thisRun_;
    std::optional<std::chrono::sys_time<std::chrono::microseconds>> zero_;
    Micros last_ = 0;
};

// --from-log: reads `logs` in their order into `timeline` to their end, writing what the
// timeline makes to standard output as it goes; `input` is standard input. Lines that cannot be
// read are passed over and counted on standard error; logs without any line that can are an
// error (`given` names them then), as is a time out of the clock's range. `names`: the names
// file the lamps are named from, so that a run that read another is told. The exit status.
int ReadLogs(const std::vector<LogFile>& logs, TextLines& input, Timeline& timeline,
             const std::optional<std::string>& names, const std::string& given);

}  // namespace zorvane
