#include "PatternFrames.h"

#include "Corruption.h"
#include "Pattern.h"

namespace zorvane::sim {

namespace {
// AA E0 E1 E2 C2 starts here in the encoded frame.
constexpr std::size_t kSecondBlockAt = 7;
}  // namespace

std::span<const std::uint8_t> PatternFrames::Next() {
    const FrameData data =
        PatternFrame(settings_.pattern, n_, settings_.framesPerLamp, settings_.seed);
    wire_ = EncodeFrame(data.plc, data.rt);
    std::span<std::uint8_t> bytes(wire_);
    if (settings_.plcSilent) bytes = bytes.subspan(kSecondBlockAt);
    if (MaybeCorrupt(bytes, settings_.corrupt, settings_.seed, n_)) ++corrupted_;
    ++n_;
    return bytes;
}

}  // namespace zorvane::sim
