#pragma once

#include <optional>
#include <string>

#include "FrameReceiver.h"
#include "LinkClock.h"
#include "LiveDecode.h"
#include "Timeline.h"

namespace zorvane {

// --vcd and --stats on a device: what the live loop reads, told to a timeline with times from
// the clock, counted from `start`; and handed on to `also` (--changes), when given.
class LiveTimeline final : public LiveSink {
  public:
    LiveTimeline(Timeline& timeline, LiveSink* also, const Moment& start);

    void Byte(std::uint8_t byte, const Moment& at, std::string& out) override;
    void Quiet(const Moment& at, std::string& out) override;
    void Port(ReconnectingPort::Change change, const std::string& device, const Moment& at,
              std::string& out) override;
    // The loop stopped at `at`.
    void End(const Moment& at, std::string& out);

  private:
    Micros Since(const Moment& at) const;
    void NoteSilence(const Moment& now, std::string& out);

    Timeline& timeline_;
    LiveSink* also_;
    Moment start_;
    FrameReceiver receiver_;
    LinkClock link_;
};

}  // namespace zorvane
