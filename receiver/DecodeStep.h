#pragma once

#include <cstdint>
#include <string>

#include "FrameReceiver.h"

namespace zorvane {

// One received byte as the reader handles it: the status line is written from the state before
// the byte, the byte is fed, and a completed frame resets the receiver for the next one.
// Returns true when this byte completed a frame (the frame stays in receiver.FrameBuffer()).
inline bool DecodeStep(FrameReceiver& receiver, std::uint8_t byte, std::string& statusLine) {
    statusLine = FormatStatusLine(1, receiver.Snapshot());
    receiver.Feed(byte);
    if (!receiver.done()) return false;
    receiver.ResetForNextFrame();
    return true;
}

}  // namespace zorvane
