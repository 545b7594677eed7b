#pragma once

#include <FrameReceiver.h>

#include <string>
#include <vector>

namespace zorvane::simtest {

// Frames a monitor would show for this byte stream.
inline std::vector<Frame> DecodeFrames(const std::string& bytes) {
    FrameReceiver receiver;
    std::vector<Frame> frames;
    for (const char c : bytes) {
        receiver.Feed(static_cast<std::uint8_t>(c));
        if (!receiver.complete()) continue;
        frames.push_back(receiver.LatestFrame());
        receiver.ResetForNextFrame();
    }
    return frames;
}

// The lamps (1..64) lit in a frame.
inline std::vector<int> LitLamps(const Frame& frame) {
    std::vector<int> lit;
    for (int lamp = 1; lamp <= kLampCount; ++lamp)
        if (frame.Lamp(lamp)) lit.push_back(lamp);
    return lit;
}

}  // namespace zorvane::simtest
