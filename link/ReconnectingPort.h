#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ByteSource.h"
#include "SerialPort.h"

namespace zorvane {

// A serial port that comes back by itself: when the device goes (unplugged, hung up) its
// descriptor is closed at once, and the same path is opened again once a second with the full
// open sequence until it is there again. Meanwhile reads return nothing, as on a silent line.
// Used by one thread at a time.
class ReconnectingPort final : public ByteSource {
  public:
    enum class Change { Lost, Back };
    // Called on the reading thread; `device` as a person reads it ("./COM1 -> /dev/pts/3").
    using Listener = std::function<void(Change change, const std::string& device)>;

    static constexpr std::chrono::seconds kRetryInterval{1};

    ReconnectingPort(std::string path, std::unique_ptr<SerialPort> opened, Listener listener,
                     std::vector<dev_t> consoles = ConsoleDevices());

    std::span<const std::uint8_t> Read() override;
    void AwaitBytes(std::chrono::milliseconds limit) override {
        if (port_) port_->AwaitBytes(limit);
    }
    // Summed over every time the device was opened: a replugged adapter starts counting afresh.
    std::optional<DriverErrors> ErrorCounts() override;

  private:
    void TryReopen();
    void Opened();

    std::string path_;
    std::unique_ptr<SerialPort> port_;
    Listener listener_;
    std::vector<dev_t> consoles_;
    std::chrono::steady_clock::time_point lastAttempt_{};
    std::optional<DriverErrors> atOpening_;  // the open device's counts when it was opened
    std::optional<DriverErrors> latest_;     // and when they were last asked for
    std::optional<DriverErrors> before_;     // of the devices opened before it
};

}  // namespace zorvane
