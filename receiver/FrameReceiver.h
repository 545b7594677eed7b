#pragma once

#include <cstdint>
#include <string>

#include "Frame.h"

namespace zorvane {

// What the status line shows of the receiver, taken before a byte is fed.
struct ReceiverSnapshot {
    std::uint8_t bfcnt = 0;
    bool prijem = false;
    bool faze2 = false;
    bool prijem2 = false;
    bool PLCerr = false;
};

// Byte-at-a-time frame decoder: AA D0..D4 C1 (anything but AA) AA E0 E1 E2 C2.
// Pure state machine: no I/O, no clock.
class FrameReceiver {
  public:
    // Runs the ordered steps for one byte; done() tells whether the frame is complete.
    void Feed(std::uint8_t c);

    bool done() const { return done_; }
    ReceiverSnapshot Snapshot() const { return {bfcnt_, prijem_, faze2_, prijem2_, PLCerr_}; }

    // Start values, errcnt included; the buffer keeps its contents.
    void Start();
    // Frame-end reset: errcnt and the buffer survive.
    void ResetForNextFrame();

    const Frame& FrameBuffer() const { return FrameBuffer_; }
    std::uint8_t errcnt() const { return errcnt_; }

  private:
    void StoreSecondBlock(std::uint8_t c);
    void StoreFirstBlock(std::uint8_t c);
    void CheckFirstBlock();

    Frame FrameBuffer_{};  // zero at creation, never cleared
    std::uint8_t bfcnt_ = 0;
    bool prijem_ = false;
    bool faze2_ = false;
    bool prijem2_ = false;
    bool PLCerr_ = false;
    std::uint8_t errcnt_ = 0;
    bool done_ = false;
};

// "rd:%i bfcnt:%i prijem:%i faze2:%i prijem2:%i PLCerr:%i"
std::string FormatStatusLine(int bytesRead, const ReceiverSnapshot& s);
void AppendStatusLine(std::string& out, int bytesRead, const ReceiverSnapshot& s);

}  // namespace zorvane
