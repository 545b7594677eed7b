#pragma once

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "Frame.h"
#include "NamesScan.h"

namespace zorvane {

// What the window shows beside each lamp (index lamp-1), line ends dropped; empty for a lamp
// without a name.
using LampCaptions = std::array<std::string, kLampCount>;
LampCaptions CaptionsBesideLamps(const NamesScan& scan);

// Local ISO 8601 time with milliseconds and the UTC offset: "2025-03-14T09:26:53.589+01:00".
std::string LocalTime(std::chrono::system_clock::time_point time);

// A point in time on both clocks: the steady one measures silences, the wall clock goes in the
// log.
struct Moment {
    std::chrono::steady_clock::time_point tick;
    std::chrono::system_clock::time_point wall;

    static Moment Now() {
        return {std::chrono::steady_clock::now(), std::chrono::system_clock::now()};
    }
    Moment After(std::chrono::milliseconds span) const { return {tick + span, wall + span}; }
};

// The monitor's watchdog as a log sees it: the link is down once 40 ms pass without a frame,
// and up again at the next frame. Nothing is said before the first frame.
class LinkClock {
  public:
    static constexpr std::chrono::milliseconds kSilenceLimit{40};

    // A frame completed at `at`; true when it ends a silence.
    bool Frame(const Moment& at);
    // Once per silence: the moment the link went down, when `now` is that moment or later.
    std::optional<Moment> WentDown(const Moment& now);

  private:
    std::optional<Moment> lastFrame_;
    bool down_ = false;
};

// Writes a line only when something changes: a frame whose data differ from the frame before
// ("WHEN D0 .. E2 +N name -N name ..."), or an event ("WHEN link-down"), and counts what it saw.
class ChangeLog {
  public:
    enum class Event { LinkDown, LinkUp, PortLost, PortBack };

    explicit ChangeLog(LampCaptions captions) : captions_(std::move(captions)) {}

    // The first frame is a change from nothing: every lit lamp is listed. `when()` gives the
    // line's stamp, asked only for a change.
    template <typename Stamp>
    void AddFrame(const zorvane::Frame& frame, const Stamp& when, std::string& out) {
        ++frames_;
        if (previous_ == frame) return;
        AddChange(when(), frame, out);
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
