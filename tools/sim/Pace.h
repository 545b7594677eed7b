#pragma once

#include <chrono>
#include <cstdint>

namespace zorvane::sim {

using Nanos = std::chrono::nanoseconds;

// The line: 57600 baud, a start bit, 8 data bits, parity and a stop bit per byte.
inline constexpr std::uint64_t kBaud = 57600;
inline constexpr std::uint64_t kBitsPerByte = 11;
inline constexpr std::uint64_t kFrameBytes = 12;

// Frame slots on an absolute schedule: slot k starts at k / rate after the run began. The rate
// is kept as a fraction, so slot k's offset is exact however long the run is (no drift).
class Pace {
  public:
    // `frames` frames every `seconds` seconds (both more than 0).
    Pace(std::uint64_t frames, std::uint64_t seconds) : frames_(frames), seconds_(seconds) {}
    // One 12-byte frame every 12*11/57600 s: 436.36 frames/s, 5236 bytes/s.
    static Pace LineRate() { return Pace(kBaud, kFrameBytes * kBitsPerByte); }
    static Pace FromMilliFps(std::uint64_t milliFps) { return Pace(milliFps, 1000); }

    // When slot `slot` starts, from the start of the run (rounded down to whole ns).
    Nanos Offset(std::uint64_t slot) const;
    // The first slot that starts at or after `t`.
    std::uint64_t SlotAtOrAfter(Nanos t) const;
    double FramesPerSecond() const { return static_cast<double>(frames_) / seconds_; }

  private:
    std::uint64_t frames_;
    std::uint64_t seconds_;
};

}  // namespace zorvane::sim
