#pragma once

#include <cstdint>

#include "Frame.h"
#include "FrameReceiver.h"
#include "LineHealth.h"
#include "Moment.h"

namespace zorvane {

// One thing the line did, in the order it happened.
struct LineEvent {
    enum class Kind : std::uint8_t { Frame, LinkDown, LinkUp, PortLost, PortBack };

    Kind kind = Kind::Frame;
    // When it happened on the line; all zero for a capture, which has no clock.
    Moment at;
    // Bytes decoded before it; for a frame, the position of the byte that completed it.
    std::uint64_t offset = 0;
    Frame frame;           // Kind::Frame
    ReceiverState before;  // Kind::Frame: the status line, as it was before its last byte
};

// What the line core tells; each consumer takes what it needs.
class LineConsumer {
  public:
    virtual ~LineConsumer() = default;
    // The port is open, and the line is read from `at` on. (A capture has no start.)
    virtual void Start(const Moment& /*at*/) {}
    virtual void Event(const LineEvent& event) = 0;
    // A read brought nothing by `at`: nothing happened before it that has not been told.
    virtual void Quiet(const Moment& /*at*/) {}
    // The line's health as it stands at `at`: when it changed, at most once a second.
    virtual void Health(const LineHealth& /*health*/, const Moment& /*at*/) {}
    // Every byte as it is decoded, for those that ask (a per-byte trace); `completed`: it ended
    // a frame, whose event follows.
    virtual bool WantsBytes() const { return false; }
    virtual void Byte(std::uint64_t /*offset*/, std::uint8_t /*byte*/,
                      const DecodedByte& /*step*/) {}
};

}  // namespace zorvane
