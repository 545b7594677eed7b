#pragma once

#include <chrono>
#include <cstdint>

#include "Frame.h"

namespace zorvane {

// The status line: 57600 baud, 11 bits a character (start, 8 data, odd parity, stop), so at
// most about 436 frames a second.
inline constexpr int kBaudRate = 57600;
inline constexpr int kBitsPerCharacter = 11;
inline constexpr double kLineFramesPerSecond =
    double(kBaudRate) / (kBitsPerCharacter * kWireFrameBytes);
// How long one byte takes on the wire: about 191 us.
inline constexpr std::chrono::nanoseconds kByteTime{std::int64_t{kBitsPerCharacter} *
                                                    1'000'000'000 / kBaudRate};

// Without a frame this long the link is down: the window's indicator turns red and every log
// says link-down.
inline constexpr std::chrono::milliseconds kSilenceLimit{40};

// Microseconds from the start of an input.
using Micros = std::uint64_t;

// When a capture's byte at `offset` came: a capture has no clock, so its offsets tell the time.
constexpr Micros ByteTime(std::uint64_t offset) {
    return offset * kBitsPerCharacter * 1'000'000 / kBaudRate;
}

}  // namespace zorvane
