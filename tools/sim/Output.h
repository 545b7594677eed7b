#pragma once

#include <termios.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "Options.h"
#include "StopRequest.h"
#include "UniqueFd.h"

namespace zorvane::sim {

using Clock = std::chrono::steady_clock;

enum class SendResult {
    Sent,
    Dropped,   // no room on the line before the deadline, or a stop came first
    NoReader,  // nobody has the pseudo-terminal open; the frame is lost
    Finished,  // the reader of standard output went away: stop, quietly
    Failed,    // error() says why
};

// Where the frames go: a pseudo-terminal linked under a port name, standard output or a serial
// device. What was set up for it (the link, a device's settings) is undone when it goes.
class Output {
  public:
    static std::unique_ptr<Output> Open(const Options& options, std::string& error);
    ~Output();
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    // Writes one slot's bytes, waiting for room until `deadline` (standard output: as long as
    // its reader takes). A stop request is heeded only before the first byte.
    SendResult Send(std::span<const std::uint8_t> bytes, Clock::time_point deadline,
                    const StopRequest& stop);
    const std::string& description() const { return description_; }
    const std::string& error() const { return error_; }

  private:
    enum class Kind { Pty, Stdout, Device };
    Output(Kind kind, UniqueFd fd, std::string name)
        : kind_(kind), fd_(std::move(fd)), name_(std::move(name)) {}
    static std::unique_ptr<Output> OpenPty(const std::string& link, std::string& error);
    static std::unique_ptr<Output> OpenDevice(const std::string& path, std::string& error);
    static std::unique_ptr<Output> OpenStdout(std::string& error);
    SendResult Lost(int err);

    Kind kind_;
    UniqueFd fd_;
    std::string name_;              // the device's path
    std::string link_;              // the port name pointing at a pseudo-terminal
    std::optional<termios> saved_;  // a device's settings from before
    std::string description_;
    std::string error_;
};

}  // namespace zorvane::sim
