#pragma once

#include <cstdint>

namespace zorvane {

// Anything that reads like the port: one byte, or nothing after the port's read time-out.
// ReadByte may return false early (a device that is gone fails at once); the reader then waits
// out the rest of the time-out itself.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual bool ReadByte(std::uint8_t& out) = 0;
};

}  // namespace zorvane
