#pragma once

#include <cstdint>
#include <optional>

#include "Frame.h"

namespace zorvane::bench {

// Frame n of a numbered stream: D0..D4 hold n (40 bits, little-endian), E0..E2 a hash of it, so
// a frame that is lost, repeated, reordered or damaged is told from the one expected. Every
// frame changes the PLC hex text and a lamp or two, as a busy line would.
WireBytes CounterFrame(std::uint64_t n);

// The number a shown frame carries, or nothing when its second block does not belong to it.
std::optional<std::uint64_t> CounterOf(const Frame& frame);

}  // namespace zorvane::bench
