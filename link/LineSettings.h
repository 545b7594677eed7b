#pragma once

#include <termios.h>

#include <chrono>

#include "Frame.h"

namespace zorvane {

// The status line: 57600 baud, 11 bits a character (start, 8 data, odd parity, stop), so at
// most about 436 frames a second.
inline constexpr int kBaudRate = 57600;
inline constexpr int kBitsPerCharacter = 11;
inline constexpr double kLineFramesPerSecond =
    double(kBaudRate) / (kBitsPerCharacter * kWireFrameBytes);

// A read returns one byte, or nothing after this long.
inline constexpr std::chrono::milliseconds kReadTimeout{100};

// Sets `tio` to the status line's settings: raw 57600 baud 8O1, receiver on, modem lines
// ignored, no flow control, parity not checked (bytes pass as received), and reads that return
// one byte or nothing after 100 ms.
void ApplyLineSettings(termios& tio);

}  // namespace zorvane
