#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "ChangeLog.h"
#include "Timeline.h"

namespace zorvane {

// How each lamp behaved from the first frame to the end: how often it went on, its shortest
// time on and off, and its share of time on. A contact that bounces goes on often, briefly.
class LampStats final : public Timeline {
  public:
    explicit LampStats(LampCaptions captions) : captions_(std::move(captions)) {}

    void Frame(Micros at, const zorvane::Frame& frame, std::string& out) override;
    void End(Micros at, std::string& out) override;

    // One line per lamp that changed, in lamp order:
    //   "13 Kompresor: on 12 times, shortest on 4.583 ms, shortest off 2.291 ms,
    //    on 37.5 % of 10.203 s"
    // A time on or off counts as shortest only when it began and ended with a change; "-" when
    // the lamp had none.
    std::string Report() const;

  private:
    struct Lamp {
        bool on = false;
        bool changed = false;
        Micros since = 0;  // of the present state
        std::uint64_t ons = 0;
        std::optional<Micros> shortestOn;
        std::optional<Micros> shortestOff;
        Micros timeOn = 0;  // up to `since`
    };

    LampCaptions captions_;
    std::array<Lamp, kLampCount> lamps_;
    std::optional<Micros> first_;
    Micros end_ = 0;
};

}  // namespace zorvane
