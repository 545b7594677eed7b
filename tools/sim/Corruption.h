#pragma once

#include <cstdint>
#include <span>

namespace zorvane::sim {

// With probability `p`, flips bits of one byte of `bytes` (never leaving it unchanged).
// The choice depends only on (seed, n), so a run can be reproduced. Returns whether it did.
bool MaybeCorrupt(std::span<std::uint8_t> bytes, double p, std::uint64_t seed, std::uint64_t n);

}  // namespace zorvane::sim
