#include "PortOpener.h"

#include "PortName.h"
#include "SerialPort.h"

namespace zorvane {

PortOpenResult SystemPortOpener::Open(const std::string& portName,
                                      ReconnectingPort::Listener listener) {
    const std::string path = DevicePath(portName);
    SerialOpenResult opened = SerialPort::Open(path);
    if (!opened.port) return {nullptr, std::move(opened.error)};
    return {std::make_unique<ReconnectingPort>(path, std::move(opened.port), std::move(listener)),
            {}};
}

}  // namespace zorvane
