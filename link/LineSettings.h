#pragma once

#include <termios.h>

namespace zorvane {

// Sets `tio` to the status line's settings: raw 57600 baud 8O1, receiver on, modem lines
// ignored, no flow control, parity not checked (bytes pass as received), and reads that return
// one byte or nothing after 100 ms.
void ApplyLineSettings(termios& tio);

}  // namespace zorvane
