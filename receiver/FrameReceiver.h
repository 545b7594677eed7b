#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "Frame.h"

namespace zorvane {

// What the status line shows of the receiver, taken before a byte is fed.
struct ReceiverState {
    std::uint8_t storedBytes = 0;
    bool firstBlockOpen = false;
    bool firstBlockAccepted = false;
    bool secondBlockOpen = false;
    bool plcSilent = false;
    bool operator==(const ReceiverState&) const = default;
};

// Byte-at-a-time frame decoder: AA D0..D4 C1 (anything but AA) AA E0 E1 E2 C2.
// A pure state machine: no I/O, no clock.
class FrameReceiver {
  public:
    // Runs the ordered steps for one byte; complete() tells whether the frame is complete.
    void Feed(std::uint8_t c);

    bool complete() const { return complete_; }
    ReceiverState State() const {
        return {storedBytes_, firstBlockOpen_, firstBlockAccepted_, secondBlockOpen_, plcSilent_};
    }
    // The data of the latest frame, as far as it has been stored.
    Frame LatestFrame() const;
    // Blocks whose check byte was wrong so far: first blocks rejected, and second blocks that
    // completed a frame all the same.
    std::uint64_t ChecksumErrors() const { return checksumErrors_; }

    // Frame-end reset: the buffer and the count of lone second blocks survive.
    void ResetForNextFrame();

    // The common case at once: a hunting receiver whose next twelve bytes are a frame with a
    // good first check byte ends as DecodeByte on each of them would leave it (complete, then
    // reset). Returns what the status line showed before the last of them; nothing, and the
    // receiver untouched, when the bytes or the state are anything else.
    std::optional<ReceiverState> TakeCleanFrame(std::span<const std::uint8_t> bytes);

  private:
    void StoreSecondBlock(std::uint8_t c);
    void StoreFirstBlock(std::uint8_t c);
    void CheckFirstBlock();

    // D0..D4 at 0..4, C1 at 5, E0..E2 at 8..10, C2 at 11. Zero at creation, never cleared.
    std::array<std::uint8_t, 16> buffer_{};
    std::uint8_t storedBytes_ = 0;  // the next store position (second block: +2)
    bool firstBlockOpen_ = false;   // the AA opening the first block has been seen
    bool firstBlockAccepted_ = false;
    bool secondBlockOpen_ = false;       // the AA opening the second block has been seen
    bool plcSilent_ = false;             // only second blocks keep arriving
    std::uint8_t loneSecondBlocks_ = 0;  // rejected windows that summed like a second block
    bool complete_ = false;
    std::uint64_t checksumErrors_ = 0;
};

struct DecodedByte {
    ReceiverState before;    // what the status line shows for this byte
    bool completed = false;  // this byte completed a frame: LatestFrame() holds it
};

// One received byte as the reader handles it: note the state, feed the byte, and reset the
// receiver once a frame is complete.
DecodedByte DecodeByte(FrameReceiver& receiver, std::uint8_t byte);

struct DecodedBytes {
    std::size_t used = 0;  // bytes fed, the completing one included
    DecodedByte last;      // the last of them
};

// Feeds bytes as DecodeByte does, one after the other, until one completes a frame or none are
// left; stretches that are whole frames go at once.
DecodedBytes DecodeUntilFrame(FrameReceiver& receiver, std::span<const std::uint8_t> bytes);

// The status line: "rd:%i bfcnt:%i prijem:%i faze2:%i prijem2:%i PLCerr:%i", written at `out`
// (room for kStatusLineMax characters); returns where it ends. No terminating zero.
inline constexpr std::size_t kStatusLineMax = 64;
char* WriteStatusLine(char* out, int bytesRead, const ReceiverState& s);
std::string FormatStatusLine(int bytesRead, const ReceiverState& s);

}  // namespace zorvane
