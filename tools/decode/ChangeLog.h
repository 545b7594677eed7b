#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "Frame.h"
#include "LampCaptions.h"

namespace zorvane {

// Writes a line only when something changes: a frame whose data differ from the frame before
// ("WHEN D0 .. E2 +N name -N name ..."), or an event ("WHEN link-down"), and counts what it saw.
class ChangeLog {
  public:
    enum class Event { LinkDown, LinkUp, PortLost, PortBack };

    explicit ChangeLog(LampCaptions captions) : captions_(std::move(captions)) {}

    // The first frame is a change from nothing: every lit lamp is listed.
    void AddFrame(std::string_view when, const Frame& frame, std::string& out);
    void AddEvent(std::string_view when, Event event, std::string& out);

    // "frames 5, changes 2, link drops 1, port losses 0"
    std::string Summary() const;

  private:
    void AppendLamps(const Frame& frame, std::string& out) const;

    LampCaptions captions_;
    std::optional<Frame> previous_;
    std::uint64_t frames_ = 0;
    std::uint64_t changes_ = 0;
    std::uint64_t linkDrops_ = 0;
    std::uint64_t portLosses_ = 0;
};

}  // namespace zorvane
