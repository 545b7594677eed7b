#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "Frame.h"
#include "LineEvent.h"
#include "NamesScan.h"

namespace zorvane {

// Writes a line only when something changes: a frame whose data differ from the frame before
// ("WHEN D0 .. E2 +N name -N name ..."), or an event ("WHEN link-down"), and counts what it saw.
class ChangeLog {
  public:
    // Frame is not an event of the log's: a frame is a change, or nothing.
    using Event = LineEvent::Kind;

    explicit ChangeLog(LampCaptions captions) : captions_(std::move(captions)) {}

    // "link-down", "link-up", "port-lost", "port-back"
    static std::string_view EventName(Event event);

    // The first frame is a change from nothing: every lit lamp is listed. `when()` gives the
    // line's stamp, asked only for a change.
    template <typename Stamp>
    void AddFrame(const zorvane::Frame& frame, const Stamp& when, std::string& out) {
        ++frames_;
        if (previous_ == frame) return;
        AddChange(when(), frame, out);
    }
    void AddFrame(std::string_view when, const zorvane::Frame& frame, std::string& out) {
        AddFrame(
            frame, [when] { return when; }, out);
    }
    void AddEvent(std::string_view when, Event event, std::string& out);

    // "frames 5, changes 2, link drops 1, port losses 0"
    std::string Summary() const;

  private:
    void AddChange(std::string_view when, const zorvane::Frame& frame, std::string& out);
    void AppendLamps(const zorvane::Frame& frame, std::string& out) const;

    LampCaptions captions_;
    std::optional<zorvane::Frame> previous_;
    std::uint64_t frames_ = 0;
    std::uint64_t changes_ = 0;
    std::uint64_t linkDrops_ = 0;
    std::uint64_t portLosses_ = 0;
};

}  // namespace zorvane
