#pragma once

#include <cstdint>
#include <string>

namespace zorvane {

// Process-wide values of the one reader. Written by the reader thread; the display reads
// ByteReceived and StatusLine only while the reader is blocked in the hand-off, whose mutex
// orders the accesses, so they need no lock of their own.
extern std::uint8_t RxByte;
extern bool ByteReceived;
extern std::string StatusLine;

}  // namespace zorvane
