#pragma once

#include <cstdint>

#include "FrameReceiver.h"

namespace zorvane {

struct DecodedByte {
    ReceiverSnapshot before;  // what the status line shows for this byte
    bool completed = false;   // this byte completed a frame; it is in the receiver's FrameBuffer
};

// One received byte as the reader handles it: note the state, feed the byte, and reset the
// receiver once a frame is complete (the frame itself stays in the buffer).
inline DecodedByte DecodeStep(FrameReceiver& receiver, std::uint8_t byte) {
    DecodedByte step{receiver.Snapshot()};
    receiver.Feed(byte);
    if (receiver.done()) {
        receiver.ResetForNextFrame();
        step.completed = true;
    }
    return step;
}

}  // namespace zorvane
