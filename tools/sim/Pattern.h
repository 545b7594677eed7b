#pragma once

#include <array>
#include <cstdint>

#include "SimOptions.h"

namespace zorvane::sim {

// The eight data bytes of one frame.
struct FrameData {
    std::array<std::uint8_t, 5> plc{};  // D0..D4
    std::array<std::uint8_t, 3> rt{};   // E0..E2
    bool operator==(const FrameData&) const = default;
};

// How long the walk dwells on one lamp, whatever the frame rate.
inline constexpr double kWalkLampSeconds = 0.1;

// Frames per lit lamp of the walk at `framesPerSecond` (at least one).
std::uint64_t WalkFramesPerLamp(double framesPerSecond);

// The lamp (1..64) the walk lights in frame `n`.
int WalkLamp(std::uint64_t n, std::uint64_t framesPerLamp);

// Data with exactly lamp `lamp` (1..64) lit.
FrameData SingleLamp(int lamp);

// Data of frame `n` (counted from 0) of the pattern.
FrameData PatternFrame(const PatternSpec& spec, std::uint64_t n, std::uint64_t framesPerLamp,
                       std::uint64_t seed);

}  // namespace zorvane::sim
