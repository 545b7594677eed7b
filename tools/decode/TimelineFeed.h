#pragma once

#include <optional>
#include <string>

#include "LineEvent.h"
#include "Timeline.h"

namespace zorvane {

// Tells a timeline (--vcd, --stats) what the line core tells. On a device its times come from
// the clock, counted from the start; a capture's from its byte offsets.
class TimelineFeed final : public LineConsumer {
  public:
    TimelineFeed(Timeline& timeline, std::string& out) : timeline_(timeline), out_(out) {}

    void Start(const Moment& at) override;
    void Event(const LineEvent& event) override;
    void Quiet(const Moment& at) override;
    void Health(const LineHealth& health, const Moment&) override { timeline_.Health(health); }
    // The input ended: a device's at `at`, a capture after `bytes`.
    void End(const Moment& at);
    void End(std::uint64_t bytes);

  private:
    Micros TimeOf(const LineEvent& event) const;
    Micros Since(const Moment& at) const;

    Timeline& timeline_;
    std::string& out_;
    std::optional<Moment> start_;  // none for a capture
};

}  // namespace zorvane
