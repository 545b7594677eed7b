#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zorvane {

// The reader's frame buffer: D0..D4 at 0..4, C1 at 5, E0..E2 at 8..10, C2 at 11.
using Frame = std::array<std::uint8_t, 16>;

inline constexpr std::uint8_t kBlockStart = 0xAA;
inline constexpr std::size_t kPlcPos = 0;
inline constexpr std::size_t kPlcBytes = 5;
inline constexpr std::size_t kRtPos = 8;
inline constexpr std::size_t kRtBytes = 3;
inline constexpr int kLampCount = 64;

// True when (p[0]+..+p[4]) mod 256 == p[5].
bool CheckSum5(const std::uint8_t* p);
// True when (p[0]+p[1]+p[2]) mod 256 == p[3].
bool CheckSum3(const std::uint8_t* p);

// Lamp n (1..64) is lit when its bit in the frame is set: 1..40 from D0..D4, 41..64 from E0..E2.
bool LampBit(const Frame& frame, int lamp);

}  // namespace zorvane
