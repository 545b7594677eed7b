#pragma once

#include <termios.h>

#include <chrono>

#include "LineTiming.h"

namespace zorvane {

// A read returns what has arrived, or nothing after this long.
inline constexpr std::chrono::milliseconds kReadTimeout{100};

// Sets `tio` to the status line's settings: raw 57600 baud 8O1, receiver on, modem lines
// ignored, no flow control, parity not checked (bytes pass as received), and reads that return
// what has arrived, or nothing after kReadTimeout.
void ApplyLineSettings(termios& tio);

}  // namespace zorvane
