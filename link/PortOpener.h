#pragma once

#include <memory>
#include <string>

#include "ByteSource.h"
#include "PortError.h"

namespace zorvane {

struct PortOpenResult {
    // Open and configured; destroying it restores the port's time-outs and closes it.
    std::unique_ptr<ByteSource> port;
    OpenError error;  // meaningful when port is null
};

// Opens a port by its dialog name ("COM1".."COM4").
class PortOpener {
  public:
    virtual ~PortOpener() = default;
    virtual PortOpenResult Open(const std::string& portName) = 0;
};

// The serial ports of this machine, through DevicePath().
class SystemPortOpener final : public PortOpener {
  public:
    PortOpenResult Open(const std::string& portName) override;
};

}  // namespace zorvane
