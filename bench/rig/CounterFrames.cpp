#include "CounterFrames.h"

#include <algorithm>
#include <array>

namespace zorvane::bench {

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

WireBytes CounterFrame(std::uint64_t n) {
    Frame frame;
    for (std::size_t i = 0; i < kPlcBytes; ++i)
        frame.data[i] = static_cast<std::uint8_t>(n >> (8 * i));
    const auto tag = Tag(n);
    std::copy(tag.begin(), tag.end(), frame.data.begin() + kPlcBytes);
    return EncodeFrame(frame);
}

std::optional<std::uint64_t> CounterOf(const Frame& frame) {
    std::uint64_t n = 0;
    for (std::size_t i = 0; i < kPlcBytes; ++i)
        n |= std::uint64_t{frame.data[i]} << (8 * i);
    const auto tag = Tag(n);
    if (!std::equal(tag.begin(), tag.end(), frame.Rt().begin())) return std::nullopt;
    return n;
}

}  // namespace zorvane::bench
