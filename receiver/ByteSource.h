#pragma once

#include <chrono>
#include <cstdint>

namespace zorvane {

// The port's read behaviour: one byte, or nothing after this long.
inline constexpr std::chrono::milliseconds kReadTimeout{100};

// Anything that reads like the port. ReadByte may return false early (a device that is
// gone fails at once); the reader then waits out the rest of kReadTimeout itself.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual bool ReadByte(std::uint8_t& out) = 0;
};

}  // namespace zorvane
