#pragma once

#include <cstdint>

namespace zorvane::sim {

// Stateless pseudo-random value for (seed, stream, index): any frame's random choices can be
// recomputed on their own, so patterns and damage are repeatable and testable frame by frame.
inline std::uint64_t Mix(std::uint64_t seed, std::uint64_t stream, std::uint64_t index) {
    std::uint64_t z = seed * 0x9E3779B97F4A7C15ull + stream * 0xD1B54A32D192ED03ull + index;
    // splitmix64 finaliser
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Uniform in [0, 1).
inline double MixUnit(std::uint64_t seed, std::uint64_t stream, std::uint64_t index) {
    return static_cast<double>(Mix(seed, stream, index) >> 11) * 0x1.0p-53;
}

}  // namespace zorvane::sim
