#include "FrameSource.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include "LineSettings.h"

namespace zorvane::sim {

namespace {

// Long enough on each lamp for a person to follow the walk at the nominal rate.
constexpr double kWalkLampSeconds = 0.1;

// Bit k of `word` on lamp k+1: D0 is the lowest byte.
Frame FromWord(std::uint64_t word) {
    Frame frame;
    for (int lamp = 1; lamp <= kLampCount; ++lamp)
        frame.SetLamp(lamp, (word >> (lamp - 1)) & 1u);
    return frame;
}

Frame PatternFrame(const Pattern& pattern, std::uint64_t n, std::uint64_t framesPerLamp,
                   std::mt19937_64& random) {
    switch (pattern.kind) {
        case PatternKind::Walk:
            return FromWord(std::uint64_t{1} << (n / framesPerLamp % kLampCount));
        case PatternKind::Count:
            return FromWord(n);
        case PatternKind::Random:
            return FromWord(random());
        case PatternKind::Fixed:
            break;
    }
    return pattern.fixed;
}

// With probability p, flips bits of one byte, never leaving it as it was.
void MaybeCorrupt(std::span<std::uint8_t> bytes, double p, std::mt19937_64& random) {
    if (p <= 0 || !std::bernoulli_distribution(p)(random)) return;
    bytes[random() % bytes.size()] ^= static_cast<std::uint8_t>(1 + random() % 255);
}

// The faults a receiver can tell, each with its own chance; `frame` grows or shrinks with them.
void AddFaults(const Faults& f, std::vector<std::uint8_t>& frame, std::mt19937_64& random) {
    const auto happens = [&random](double p) {
        return p > 0 && std::bernoulli_distribution(p)(random);
    };
    const auto wrong = [&random] { return static_cast<std::uint8_t>(1 + random() % 255); };
    if (happens(f.check1)) frame[6] += wrong();
    if (happens(f.check2)) frame[11] += wrong();
    if (happens(f.noAa)) frame.erase(frame.begin() + (random() % 2 ? 7 : 0));
    if (happens(f.drop)) frame.erase(frame.begin() + long(random() % frame.size()));
    if (!happens(f.noise)) return;
    for (auto n = 1 + random() % 4; n > 0; --n)
        frame.push_back(static_cast<std::uint8_t>(kBlockStart + wrong()));  // anything but AA
}

}  // namespace

FrameSource PatternSource(const Options& o) {
    const double nominalRate = o.rate.value_or(kLineFramesPerSecond);
    const auto framesPerLamp =
        std::max<std::uint64_t>(1, std::llround(nominalRate * kWalkLampSeconds));
    // A fixed seed: runs repeat, so a benchmark fed with random frames measures the same work.
    return [pattern = o.pattern.value_or(Pattern{}), corrupt = o.corrupt, faults = o.faults,
            framesPerLamp, n = std::uint64_t{0}, random = std::mt19937_64{},
            wire = std::vector<std::uint8_t>{}]() mutable {
        const WireBytes w = EncodeFrame(PatternFrame(pattern, n++, framesPerLamp, random));
        wire.assign(w.begin(), w.end());
        MaybeCorrupt(wire, corrupt, random);
        AddFaults(faults, wire, random);
        return std::span<const std::uint8_t>(wire);
    };
}

std::optional<FrameSource> ReplaySource(const std::string& path, bool loop, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot replay " + path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(file), {});
    if (bytes.empty()) {
        error = "cannot replay " + path + ": no bytes in it";
        return std::nullopt;
    }
    return [bytes = std::move(bytes), loop, at = std::size_t{0}]() mutable {
        if (at == bytes.size() && loop) at = 0;
        const std::size_t n = std::min(kWireFrameBytes, bytes.size() - at);
        at += n;
        return std::span<const std::uint8_t>(bytes.data() + at - n, n);
    };
}

}  // namespace zorvane::sim
