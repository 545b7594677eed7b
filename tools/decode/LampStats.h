#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "ChangeLog.h"
#include "Timeline.h"

namespace zorvane {

// How each lamp behaved while the line was watched: how often it went on, its shortest time on
// and off, and its share of time on. A contact that bounces goes on often, briefly.
//
// A watch begins when the port opens (a record's run starts, a lost port is back) or, without
// that, with a frame, and ends when the port is lost or closed, lines were lost, or the input
// ends; after lost lines the next frame begins the next. The lamps count as off until a watch's
// first frame, whose lamps are no change. A state whose beginning or end was not seen (the first
// frame, the end of a watch) counts in the share but not as a shortest time.
class LampStats final : public Timeline {
  public:
    explicit LampStats(LampCaptions captions) : captions_(std::move(captions)) {}

    void Frame(Micros at, const zorvane::Frame& frame, std::string& out) override;
    void Port(Micros at, bool open, std::string& out) override;
    void Gap(Micros at, std::string& out) override;
    void End(Micros at, std::string& out) override;
    void Health(const LineHealth& health) override { health_ = health; }

    // One line per lamp that changed, in lamp order:
    //   "13 Kompresor: on 12 times, shortest on 4.583 ms, shortest off 2.291 ms,
    //    on 37.5 % of 10.203 s watched"
    // A time on or off counts as shortest only when it began and ended with a change; "-" when
    // the lamp had none. Then the line's health, when it was told (HealthLine).
    std::string Report() const;

  private:
    struct Lamp {
        bool on = false;
        bool seenBegin = false;  // the present state began with a change
        bool changed = false;
        Micros since = 0;  // of the present state
        std::uint64_t ons = 0;
        std::optional<Micros> shortestOn;
        std::optional<Micros> shortestOff;
        Micros timeOn = 0;  // up to `since`
    };

    void EndWatch(Micros at);

    LampCaptions captions_;
    std::array<Lamp, kLampCount> lamps_;
    std::optional<Micros> watchedSince_;  // none between watches
    bool lampsKnown_ = false;             // a frame came in this watch
    Micros watched_ = 0;                  // of the watches that ended
    std::optional<LineHealth> health_;
};

}  // namespace zorvane
