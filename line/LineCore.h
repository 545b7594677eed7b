#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "FrameReceiver.h"
#include "LineEvent.h"
#include "LineTiming.h"
#include "Moment.h"

namespace zorvane {

// The line, told once: takes what each read of the port brought, decodes every byte once, and
// tells its consumers, in order, each frame with the time it crossed the line, the link going
// down (kSilenceLimit after the last frame) and coming up, and the port going and coming back.
//
// A frame's time is the read's time less the wire time of the bytes that came after it in the
// same read, so a USB adapter's burst of frames keeps their spacing; never earlier than what was
// told before. A frame of the first read after the port was opened that crossed before the
// opening waited in the port: it is old and never told. A capture is read without a clock: its
// frames carry their offsets only, and its link never goes down. Used by one thread.
class LineCore {
  public:
    // `consumer` must outlive this; consumers hear everything in the order they were added.
    void Add(LineConsumer& consumer);

    // The port is open at `at`: reads follow.
    void Start(const Moment& at);
    // What a read brought, and when it returned; nothing brought is a quiet read.
    void Read(std::span<const std::uint8_t> bytes, const Moment& at);
    // A capture's next bytes.
    void Read(std::span<const std::uint8_t> bytes);
    void PortLost(const Moment& at);
    void PortBack(const Moment& at);
    // What the port's driver has counted since the port was first opened, or nothing when it
    // cannot tell; asked of the port at most once a second.
    void DriverErrors(const std::optional<zorvane::DriverErrors>& counts) {
        health_.driver = counts;
    }
    // The reading stops at `at`: a silence that has run its course by then is told, and bytes of
    // a frame that never came are skipped.
    void Finish(const Moment& at);

    std::uint64_t Bytes() const { return offset_; }
    // Since the start: every frame told, every fault.
    LineHealth Health() const;

  private:
    void Decode(std::span<const std::uint8_t> bytes, const Moment* read);
    // The byte at `offset` completed a frame, `after` bytes before the read's end.
    void Complete(std::uint64_t offset, std::size_t after, const ReceiverState& before,
                  const Moment* read);
    void NoteSilence(const Moment& now);
    // Changes are told at most once a second, unless `now`.
    void TellHealth(const Moment& at, bool now = false);
    void Tell(LineEvent::Kind kind, const Moment& at);
    void Tell(const LineEvent& event);

    std::vector<LineConsumer*> consumers_;
    bool wantBytes_ = false;
    FrameReceiver receiver_;
    std::uint64_t offset_ = 0;
    std::optional<Moment> lastFrame_;
    bool down_ = false;
    Moment told_{};                 // the latest time told: nothing is told earlier
    LineHealth health_;             // but the checksum errors, which the receiver counts
    std::uint64_t frameStart_ = 0;  // the bytes before it are a frame's or skipped
    Moment healthTold_{};
    LineHealth toldHealth_;
    Moment opened_{};     // the port's latest opening
    bool fresh_ = false;  // no bytes read since it: they may have waited from before
};

}  // namespace zorvane
