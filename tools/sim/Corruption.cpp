#include "Corruption.h"

#include "Mix.h"

namespace zorvane::sim {

namespace {
// Streams apart from the random pattern's, so --corrupt does not follow the data.
constexpr std::uint64_t kHitStream = 2;
constexpr std::uint64_t kWhereStream = 3;
}  // namespace

bool MaybeCorrupt(std::span<std::uint8_t> bytes, double p, std::uint64_t seed, std::uint64_t n) {
    if (bytes.empty() || p <= 0.0 || MixUnit(seed, kHitStream, n) >= p) return false;
    const std::uint64_t r = Mix(seed, kWhereStream, n);
    const std::size_t index = r % bytes.size();
    const auto flip = static_cast<std::uint8_t>(1 + (r >> 32) % 255);
    bytes[index] ^= flip;
    return true;
}

}  // namespace zorvane::sim
