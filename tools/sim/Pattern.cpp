#include "Pattern.h"

#include <algorithm>
#include <cmath>

#include "Mix.h"

namespace zorvane::sim {

namespace {

constexpr int kLamps = 64;
constexpr int kPlcLamps = 40;
constexpr std::uint64_t kRandomStream = 1;

// Byte i of the eight data bytes in wire order D0..D4 E0..E2.
std::uint8_t& DataByte(FrameData& d, std::size_t i) {
    return i < d.plc.size() ? d.plc[i] : d.rt[i - d.plc.size()];
}

FrameData FromWord(std::uint64_t word) {
    FrameData d;
    for (std::size_t i = 0; i < 8; ++i)
        DataByte(d, i) = static_cast<std::uint8_t>(word >> (8 * i));
    return d;
}

FrameData FromBytes(const std::array<std::uint8_t, 8>& bytes) {
    FrameData d;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        DataByte(d, i) = bytes[i];
    return d;
}

}  // namespace

std::uint64_t WalkFramesPerLamp(double framesPerSecond) {
    return std::max<std::uint64_t>(1, std::llround(framesPerSecond * kWalkLampSeconds));
}

int WalkLamp(std::uint64_t n, std::uint64_t framesPerLamp) {
    return static_cast<int>((n / framesPerLamp) % kLamps) + 1;
}

FrameData SingleLamp(int lamp) {
    FrameData d;
    const int bit = lamp - 1;
    if (bit < kPlcLamps)
        d.plc[bit / 8] = static_cast<std::uint8_t>(1u << (bit % 8));
    else
        d.rt[(bit - kPlcLamps) / 8] = static_cast<std::uint8_t>(1u << ((bit - kPlcLamps) % 8));
    return d;
}

FrameData PatternFrame(const PatternSpec& spec, std::uint64_t n, std::uint64_t framesPerLamp,
                       std::uint64_t seed) {
    switch (spec.kind) {
        case PatternKind::Walk:
            return SingleLamp(WalkLamp(n, framesPerLamp));
        case PatternKind::Count:
            // Bit k of the counter is lamp k+1.
            return FromWord(n);
        case PatternKind::Random:
            return FromWord(Mix(seed, kRandomStream, n));
        case PatternKind::Fixed:
            return FromBytes(spec.fixed);
    }
    return {};
}

}  // namespace zorvane::sim
