#pragma once

#include <string>
#include <vector>

namespace zorvane {

// A serial device that is there now.
struct SerialDevice {
    std::string path;  // opens it, and stays across a replug: /dev/serial/by-id/…, /dev/ttyS4
    std::string kernelName;  // ttyUSB0, ttyS4
    // The device by itself, without a kernel name that a replug may change:
    // "FTDI FT232R USB UART · A10K5XYZ".
    std::string name;
    std::string description;  // as listed: "FTDI FT232R USB UART · A10K5XYZ (ttyUSB0)"

    bool operator==(const SerialDevice&) const = default;
};

// The serial devices of this machine as /dev and /sys show them; no device is ever opened. The
// roots are parameters, so that a test can stand in a tree of its own.
class DeviceCatalogue {
  public:
    explicit DeviceCatalogue(std::string devRoot = "/dev", std::string sysRoot = "/sys");

    // Every /dev/serial/by-id entry that leads to a device (USB adapters, by path), then the
    // built-in UARTs with a real device behind them (by number), but never the system console.
    std::vector<SerialDevice> List() const;

    // Whether `path` leads to a device now: an entry that resolves, and for a built-in UART
    // (ttyS<n>, with or without its node) one with a real device behind it.
    bool Present(const std::string& path) const;

  private:
    void AddAdapters(std::vector<SerialDevice>& out) const;
    void AddUarts(std::vector<SerialDevice>& out) const;
    bool UartPresent(int number) const;

    std::string devRoot_;
    std::string sysRoot_;
};

}  // namespace zorvane
