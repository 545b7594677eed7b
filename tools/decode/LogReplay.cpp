#include "LogReplay.h"

#include <algorithm>

#include "LogLine.h"

namespace zorvane {

bool LogReplay::Line(std::string_view text, std::string& out) {
    using Kind = LogLine::Kind;
    const auto line = ParseLogLine(text);
    if (!line) return false;
    if (!begun_) timeline_.Begin(line->wall ? line->when : std::string_view());
    begun_ = true;
    Micros at = ByteTime(line->offset);
    if (line->wall) {
        if (!zero_) zero_ = line->wall;
        const auto since =
            std::chrono::duration_cast<std::chrono::microseconds>(*line->wall - *zero_);
        at = Micros(std::max<std::int64_t>(since.count(), 0));
    }
    // A clock set back, or logs put together out of order, must not turn time back.
    last_ = at = std::max(at, last_);
    switch (line->kind) {
        case Kind::Frame:
            timeline_.Frame(at, line->frame, out);
            break;
        case Kind::Event:
            if (line->event == ChangeLog::Event::LinkDown) timeline_.LinkDown(at, out);
            if (line->event == ChangeLog::Event::PortLost) timeline_.Port(at, false, out);
            if (line->event == ChangeLog::Event::PortBack) timeline_.Port(at, true, out);
            break;               // link-up: the frame after it is told
        case Kind::RecordStart:  // the monitor starts: the port is open, no frame yet
            timeline_.Port(at, true, out);
            timeline_.LinkDown(at, out);
            break;
        case Kind::RecordEnd:
            timeline_.LinkDown(at, out);
            timeline_.Port(at, false, out);
            break;
        case Kind::RecordGap:  // the frame after it tells what the lamps show
            break;
    }
    return true;
}

}  // namespace zorvane
