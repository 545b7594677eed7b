#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ChangeLog.h"
#include "Frame.h"
#include "LineHealth.h"

namespace zorvane {

// A change log is lines of the form
//   WHEN D0 D1 D2 D3 D4 E0 E1 E2 [+N NAME|-N NAME]...  the data changed (ChangeLog)
//   WHEN link-down|link-up|port-lost|port-back          an event (ChangeLog)
// and the monitor's record adds
//   WHEN record-start port="COM1" device="./COM1 -> /dev/ttyUSB0" names="/path/names.ini"
//        the first line of each run; values quoted, '"' and '\' escaped with '\', bytes below
//        0x20 as \xHH; names="" when no names file was read
//   FROM record-gap until=TO lost=N
//        N lines handed to the record between FROM and TO could not be kept
//   WHEN record-end                                      the run closed its record
//   WHEN line-health frames=F checksum=C skipped=S parity=P framing=M overrun=O
//        buffer-overrun=B breaks=K
//        the line's health since the run began (LineHealth), "n/a" where the port cannot tell
// WHEN, FROM and TO are local times (LocalTime); zorvane-decode writes the byte offset of a
// capture as WHEN instead.

// The port and names a run uses, as its first line tells them.
struct RunInfo {
    std::string port;    // "COM1"
    std::string device;  // as a person reads it: "./COM1 -> /dev/ttyUSB0"
    std::string names;   // the names file read, empty when none
};

void AppendRecordStart(std::string_view when, const RunInfo& run, std::string& out);
void AppendRecordGap(std::string_view from, std::string_view until, std::uint64_t lost,
                     std::string& out);
void AppendRecordEnd(std::string_view when, std::string& out);
void AppendLineHealth(std::string_view when, const LineHealth& health, std::string& out);

// One line read back.
struct LogLine {
    // Other: a well-formed line of a kind this version does not know ("WHEN some-word ..."),
    // which later versions may write.
    enum class Kind { Frame, Event, RecordStart, RecordGap, RecordEnd, Health, Other };

    Kind kind = Kind::Frame;
    // WHEN: a moment, or a capture's byte offset.
    std::optional<std::chrono::system_clock::time_point> wall;
    std::uint64_t offset = 0;
    std::string_view when;                                // as written
    zorvane::Frame frame;                                 // Kind::Frame
    ChangeLog::Event event = ChangeLog::Event::LinkDown;  // Kind::Event
    RunInfo run;                                          // Kind::RecordStart
    LineHealth health;                                    // Kind::Health
};

enum class LogLineRead {
    Read,
    // Not a line of a change log: another form, a time that is none, cut off and run together
    // with the next line.
    Broken,
    FarTime,  // of the form, but out of the clock's range, or an offset too large to time
};

// Reads `text` into `line`. A trailing CR or LF is allowed.
LogLineRead ParseLogLine(std::string_view text, LogLine& line);

// Where the next line begins in `text`, a line that was cut off and run together with it: that
// line's local time, followed by a space (a time given as a value, after '=', is none); npos
// when none is there.
std::size_t NextLineInside(std::string_view text);

}  // namespace zorvane
