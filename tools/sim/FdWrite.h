#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "Pace.h"

namespace zorvane::sim {

enum class WriteStatus {
    Done,      // every byte written
    TimedOut,  // the deadline came first
    HungUp,    // nobody on the other side (POLLHUP, EIO)
    Broken,    // the reader closed a pipe (EPIPE)
    Stopped,   // a stop was requested
    Failed,    // any other error
};

struct WriteOutcome {
    WriteStatus status = WriteStatus::Done;
    std::size_t written = 0;
    int error = 0;  // errno for Failed
};

// Writes `bytes` to `fd`, blocking or not, resuming after partial writes, EAGAIN and EINTR.
// Never waits past `deadline`; without one it waits as long as the reader takes.
WriteOutcome WriteUntil(int fd, std::span<const std::uint8_t> bytes, std::optional<Nanos> deadline);

}  // namespace zorvane::sim
