#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "Pace.h"

namespace zorvane::sim {

enum class SendResult {
    Sent,      // on the line
    Dropped,   // the line was busy until the deadline; the frame is lost
    NoReader,  // nobody listens (pty slave not open); the frame is lost
    Finished,  // the consumer went away for good (closed pipe); stop quietly
    Failed,    // a real error; error() says which
};

// Where the frames go: a pseudo-terminal, standard output or a serial device.
class Output {
  public:
    virtual ~Output() = default;
    // Hands one slot's bytes over, waiting no later than `deadline` (absolute, MonoNow time).
    virtual SendResult Send(std::span<const std::uint8_t> bytes, Nanos deadline) = 0;
    // One line for the start-up message: what is served where.
    virtual std::string Describe() const = 0;
    const std::string& error() const { return error_; }

  protected:
    std::string error_;
};

}  // namespace zorvane::sim
