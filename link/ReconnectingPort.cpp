#include "ReconnectingPort.h"

#include "PortName.h"

namespace zorvane {

ReconnectingPort::ReconnectingPort(std::string path, std::unique_ptr<SerialPort> opened,
                                   Listener listener, std::vector<dev_t> consoles)
    : path_(std::move(path)),
      port_(std::move(opened)),
      listener_(std::move(listener)),
      consoles_(std::move(consoles)) {
    Opened();
}

std::span<const std::uint8_t> ReconnectingPort::Read() {
    if (!port_) TryReopen();
    if (!port_) return {};
    std::span<const std::uint8_t> got;
    switch (port_->Read(got)) {
        case SerialPort::ReadResult::Bytes:
            return got;
        case SerialPort::ReadResult::Nothing:
            return {};
        case SerialPort::ReadResult::Gone:
            break;
    }
    // A gone device has no settings left to restore: let the descriptor go now, so the device
    // node can disappear and come back. Its counts are as they were last asked for.
    port_->Abandon();
    port_.reset();
    before_ = ErrorCounts();
    atOpening_.reset();
    latest_.reset();
    lastAttempt_ = std::chrono::steady_clock::now();
    if (listener_) listener_(Change::Lost, DescribeDevice(path_));
    return {};
}

void ReconnectingPort::TryReopen() {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastAttempt_ < kRetryInterval) return;
    lastAttempt_ = now;
    SerialOpenResult opened = SerialPort::Open(path_, consoles_);
    if (!opened.port) return;  // still gone, or not ours yet: try again later
    port_ = std::move(opened.port);
    Opened();
    if (listener_) listener_(Change::Back, DescribeDevice(path_));
}

void ReconnectingPort::Opened() {
    atOpening_ = latest_ = port_->ErrorCounts();
}

std::optional<DriverErrors> ReconnectingPort::ErrorCounts() {
    if (port_ && atOpening_) latest_ = port_->ErrorCounts().value_or(*latest_);
    if (!atOpening_) return before_;
    DriverErrors sum = before_.value_or(DriverErrors{});
    return sum += latest_->Since(*atOpening_);
}

}  // namespace zorvane
