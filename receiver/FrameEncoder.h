#pragma once

#include <array>
#include <cstdint>

namespace zorvane {

inline constexpr std::size_t kWireFrameBytes = 12;
using WireFrame = std::array<std::uint8_t, kWireFrameBytes>;

// The bytes a transmitter sends for one frame: AA D0..D4 C1 AA E0 E1 E2 C2.
WireFrame EncodeFrame(const std::array<std::uint8_t, 5>& plc,
                      const std::array<std::uint8_t, 3>& rt);

}  // namespace zorvane
