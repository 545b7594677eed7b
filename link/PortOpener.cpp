#include "PortOpener.h"

#include "PortName.h"
#include "SerialPort.h"

namespace zorvane {

PortOpenResult SystemPortOpener::Open(const std::string& portName) {
    SerialOpenResult opened = SerialPort::Open(DevicePath(portName));
    return {std::move(opened.port), std::move(opened.error)};
}

}  // namespace zorvane
