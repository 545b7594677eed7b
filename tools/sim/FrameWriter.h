#pragma once

#include <vector>

#include "FdWrite.h"

namespace zorvane::sim {

// Keeps frames whole on a line that may stall: the rest of a frame that was cut short goes out
// before anything new, and a new frame is dropped (not half sent) while the old one is stuck.
class FrameWriter {
  public:
    explicit FrameWriter(int fd) : fd_(fd) {}

    // Done: the frame is on its way (possibly with a rest queued for the next call).
    // TimedOut: the frame was dropped. HungUp: dropped, and the queued rest discarded.
    WriteOutcome Send(std::span<const std::uint8_t> bytes, Nanos deadline);

  private:
    int fd_;
    std::vector<std::uint8_t> pending_;
};

}  // namespace zorvane::sim
