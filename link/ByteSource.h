#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>

#include "LineHealth.h"

namespace zorvane {

// Anything that reads like the port: what one read brought, a byte or more, or nothing after the
// port's read time-out. A read may bring nothing early (a device that is gone fails at once);
// the reader then waits out the rest of the time-out itself.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // The bytes stay valid until the next call.
    virtual std::span<const std::uint8_t> Read() = 0;
    // Waits, reading nothing, until a read would bring bytes at once or `limit` passes; a source
    // that cannot tell returns at once. The reader waits here while its frames are shown, so the
    // window's thread need not wake it when it is done.
    virtual void AwaitBytes(std::chrono::milliseconds limit) { (void)limit; }
    // What the driver counted of the line's faults since the source was first opened; nothing
    // when it cannot tell.
    virtual std::optional<DriverErrors> ErrorCounts() { return std::nullopt; }
};

}  // namespace zorvane
