#include "CounterFrames.h"

#include <array>

namespace zorvane::stress {

namespace {

constexpr std::uint64_t kCounterMask = (std::uint64_t{1} << 40) - 1;

// A hash of n / 256: damage shows, yet the RT7720 lamps change only every 256 frames, as slow
// signals do, instead of half of them with every frame.
std::array<std::uint8_t, 3> Tag(std::uint64_t n) {
    const std::uint64_t h = ((n & kCounterMask) >> 8) * 0x9E3779B97F4A7C15ull;
    return {static_cast<std::uint8_t>(h >> 40), static_cast<std::uint8_t>(h >> 48),
            static_cast<std::uint8_t>(h >> 56)};
}

}  // namespace

WireFrame CounterFrame(std::uint64_t n) {
    std::array<std::uint8_t, 5> plc{};
    for (std::size_t i = 0; i < plc.size(); ++i)
        plc[i] = static_cast<std::uint8_t>(n >> (8 * i));
    return EncodeFrame(plc, Tag(n));
}

std::optional<std::uint64_t> CounterOf(const Frame& frame) {
    std::uint64_t n = 0;
    for (std::size_t i = 0; i < kPlcBytes; ++i)
        n |= std::uint64_t{frame[kPlcPos + i]} << (8 * i);
    const auto tag = Tag(n);
    for (std::size_t i = 0; i < kRtBytes; ++i)
        if (frame[kRtPos + i] != tag[i]) return std::nullopt;
    return n;
}

}  // namespace zorvane::stress
