#pragma once

#include <memory>
#include <string>

#include "ByteSource.h"
#include "PortError.h"
#include "ReconnectingPort.h"

namespace zorvane {

struct PortOpenResult {
    // Open and configured; destroying it restores the port's time-outs and closes it.
    std::unique_ptr<ByteSource> port;
    OpenError error;  // meaningful when port is null
};

// Opens a port by its dialog name ("COM1".."COM4"). `listener` hears, on the reading thread,
// when the port is lost and when it is back.
class PortOpener {
  public:
    virtual ~PortOpener() = default;
    virtual PortOpenResult Open(const std::string& portName,
                                ReconnectingPort::Listener listener) = 0;
};

// The serial ports of this machine, through DevicePath(); they come back after an unplug.
class SystemPortOpener final : public PortOpener {
  public:
    PortOpenResult Open(const std::string& portName, ReconnectingPort::Listener listener) override;
};

}  // namespace zorvane
