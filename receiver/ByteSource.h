#pragma once

#include <cstdint>
#include <span>

namespace zorvane {

// Anything that reads like the port: what one read brought, a byte or more, or nothing after the
// port's read time-out. A read may bring nothing early (a device that is gone fails at once);
// the reader then waits out the rest of the time-out itself.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // The bytes stay valid until the next call.
    virtual std::span<const std::uint8_t> Read() = 0;
};

}  // namespace zorvane
