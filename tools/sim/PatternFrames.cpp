#include "PatternFrames.h"

#include <algorithm>

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
    Frame frame;
    std::copy(data.plc.begin(), data.plc.end(), frame.data.begin());
    std::copy(data.rt.begin(), data.rt.end(), frame.data.begin() + kPlcBytes);
    wire_ = EncodeFrame(frame);
    std::span<std::uint8_t> bytes(wire_);
    if (settings_.plcSilent) bytes = bytes.subspan(kSecondBlockAt);
    if (MaybeCorrupt(bytes, settings_.corrupt, settings_.seed, n_)) ++corrupted_;
    ++n_;
    return bytes;
}

}  // namespace zorvane::sim
