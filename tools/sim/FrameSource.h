#pragma once

#include <cstdint>
#include <span>

namespace zorvane::sim {

// What goes on the line in one frame slot.
class FrameSource {
  public:
    virtual ~FrameSource() = default;
    // The bytes of the next slot, valid until the next call; empty when the source is used up.
    virtual std::span<const std::uint8_t> Next() = 0;
};

}  // namespace zorvane::sim
