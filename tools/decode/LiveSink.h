#pragma once

#include <cstdint>
#include <string>

#include "Moment.h"
#include "ReconnectingPort.h"

namespace zorvane {

// What the live loop hands on, with when it happened; lines to print go to `out`.
class LiveSink {
  public:
    virtual ~LiveSink() = default;
    virtual void Byte(std::uint8_t byte, const Moment& at, std::string& out) = 0;
    // A read brought nothing.
    virtual void Quiet(const Moment& at, std::string& out) = 0;
    // `device` as a person reads it ("./COM1 -> /dev/ttyUSB0").
    virtual void Port(ReconnectingPort::Change change, const std::string& device, const Moment& at,
                      std::string& out) = 0;
};

}  // namespace zorvane
